// The pictures of the dialog model as pixmaps: resource bitmaps and icons as stored, and the
// host's check-box pictures drawn in the style of the platform's check boxes.
#pragma once

#include <QPixmap>

#include "host/ui.h"

namespace qxgui {

QPixmap pixmapOf(const CQxUiImage& image);

}  // namespace qxgui
