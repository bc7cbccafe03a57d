// The object a popup refers to (`Game::setPopupTargetById`). `Game::popups` holds the one block;
// the popup table itself is the layouts' (`Game::layouts`).
#pragma once

#include "runtime/core/object.h"

class CObject;

struct PopupStatics {
    CObject* s_popupTarget;
    MRC_REF_FIELDS(&PopupStatics::s_popupTarget);
};
