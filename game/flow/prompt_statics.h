// The prompt box: speech and notices along the bottom of the screen or in a framed box, the
// two-answer question of the event scripts, and the confirm prompt's paging state they share.
// (The prompt's state and its two-answer packed word are the layout statics' s_promptState and
// s_promptPacked; the arrow and the text extent are the dialog's dialogArrow and dialogExtent.)
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ObjectArray;

struct PromptStatics {
    ObjectArray* s_promptFonts;  // ASprite[]: the fonts of the bottom panel's texts
    int32_t s_promptFont;        // index into the fonts; also the font of the measuring calls
    int32_t s_promptPalette;     // the font's palette, taken when the font has it
    int32_t s_promptTextArg;     // text argument 0 of every prompt text
    int32_t s_promptTextGroup, s_promptTextId;
    int32_t s_promptSpeaker;     // row of the level's speaker table (portrait offset, name id)
    bool s_promptPaged;          // the text is shown page by page
    int32_t s_promptLineStep;    // the reveal step of the paged text
    int32_t s_promptScriptPos;   // the opening command's position in the event-script bytes
    int32_t s_promptHeight;      // the bottom panel's text area, pixels
    int32_t s_promptBoxHeight;   // the framed box's height, pixels
    int32_t s_promptX, s_promptY;  // the framed box's top-left corner

    // Paging state of the confirm prompt.
    int32_t s_promptFlags;       // 2 paged, 4 no box, 8 restart the reveal once, 16 wait before a key
    int32_t s_promptTimer;       // timer id, -1 none
    bool s_promptPressed;        // the page is shown whole (the page marker is up)
    int32_t s_promptPressFrames;
    bool s_promptLastPage;       // the page shown is the text's last
    int32_t s_promptPage;
    bool s_promptDone;           // the prompt finished on its last page
    int32_t s_promptRevealCursor, s_promptRevealTick;  // the text engine's reveal, kept for the prompt's text
    int32_t s_promptValueB;

    MRC_REF_FIELDS(&PromptStatics::s_promptFonts);
};

namespace mrc {
// Registers the block with StaticClass; idempotent.
void registerPromptStatics();
}  // namespace mrc
