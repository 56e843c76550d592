#include "cad/ui/gui/dialog_units.h"

#include <QFontMetrics>
#include <QString>

namespace qxgui {

DialogUnits DialogUnits::of(const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width of the 52 letters, rounded, as the classic dialog manager measured it.
    const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    units.baseX = std::max(1, (letters + 26) / 52);
    units.baseY = std::max(1, metrics.height());
    return units;
}

QFont templateFont(const QxUiDialogTemplate& dialogTemplate)
{
    const QString name = QString::fromStdU16String(dialogTemplate.fontName);
    const bool classic = name.compare(u"MS Shell Dlg", Qt::CaseInsensitive) == 0 ||
                         name.compare(u"MS Shell Dlg 2", Qt::CaseInsensitive) == 0 ||
                         name.compare(u"MS Sans Serif", Qt::CaseInsensitive) == 0 ||
                         name.compare(u"Tahoma", Qt::CaseInsensitive) == 0;
    QFont font(classic ? QStringLiteral("Liberation Sans") : name);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(dialogTemplate.fontSize > 0 ? dialogTemplate.fontSize : 8);
    return font;
}

}  // namespace qxgui
