// Dialog units: templates place controls in units of the dialog font, a quarter of its average
// character width across and an eighth of its height down, so that a dialog grows with its font.
#pragma once

#include <QFont>
#include <QRect>

#include "host/ui.h"

namespace qxgui {

struct DialogUnits {
    int baseX = 6;   // average character width of the font, in pixels
    int baseY = 13;  // character height of the font, in pixels

    int toPixelsX(int units) const { return (units * baseX + 2) / 4; }
    int toPixelsY(int units) const { return (units * baseY + 4) / 8; }
    QRect toPixels(int x, int y, int w, int h) const
    {
        return QRect(toPixelsX(x), toPixelsY(y), toPixelsX(w), toPixelsY(h));
    }
    // Pixels back to dialog units (rounded down), for clicks reported to the dialog.
    int toUnitsX(int pixels) const { return pixels * 4 / baseX; }
    int toUnitsY(int pixels) const { return pixels * 8 / baseY; }

    static DialogUnits of(const QFont& font);
};

// The font a template names, mapped onto the fonts this platform has: the classic dialog
// font names become the metric-compatible sans-serif.
QFont templateFont(const QxUiDialogTemplate& dialogTemplate);

}  // namespace qxgui
