// The sample data of the level screens: the summary's layout (15), the information page's (20)
// and the story prompt of layout 16. (Their labels are among the menus' labels, the story is
// string 21 of the tips' group.) Sprite 36: the touch pad's lit cells and its grid.
#pragma once

#include "tools/formats/archive_file.h"

namespace sample_data {

// Puts the layouts into the archive's definitions pack (after it is added).
void addLevelScreenData(formats::ArchiveWriter& archive);

}  // namespace sample_data
