#include "page_checks.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>

namespace qxtest {

namespace {

constexpr int kPlaceTolerance = 2;  // pixels

QString withoutMnemonics(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return text;
}

// How much room a text needs in its control: one line across for buttons and check boxes
// (after their indicator), the wrapped height for static texts.
void checkTextFits(const QxUiControlModel& control, QWidget& widget)
{
    const QString text = withoutMnemonics(QString::fromStdU16String(control.text));
    if (text.isEmpty()) return;
    const QFontMetrics metrics(widget.font());
    if (auto* label = qobject_cast<QLabel*>(&widget)) {
        const QRect needed = metrics.boundingRect(QRect(0, 0, label->width(), 10000), Qt::TextWordWrap, text);
        EXPECT_LE(needed.height(), label->height() + 1) << "text of control " << control.id << " is cut off: " << text.toStdString();
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
        int room = button->width();
        if (control.kind == QxUiControlKind::CheckBox || control.kind == QxUiControlKind::RadioButton) {
            // What the style leaves for the text beside the indicator.
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = text;
            const auto contents = control.kind == QxUiControlKind::CheckBox ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents;
            room = button->style()->subElementRect(contents, &option, button).width();
        }
        EXPECT_LE(metrics.horizontalAdvance(text), room) << "text of control " << control.id << " is cut off: " << text.toStdString()
                                                         << " (control " << button->width() << " pixels wide)";
    }
}

// Pixels of a control's rectangle that are not the dialog's background: a shown text draws some.
int drawnPixels(const QImage& image, const QRect& area, QRgb background)
{
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) count += image.pixel(x, y) != background;
    return count;
}

}  // namespace

void captureAndCheckDialog(qxgui::DialogWindow& dialog, const std::filesystem::path& file)
{
    const QxUiDialogModel& model = dialog.model();
    const qxgui::DialogUnits& units = dialog.units();
    const QImage image = dialog.grab().toImage();
    EXPECT_TRUE(image.save(QString::fromStdString(file.string()))) << file;
    EXPECT_EQ(dialog.size(), QSize(units.toPixelsX(model.dialogTemplate.width), units.toPixelsY(model.dialogTemplate.height)));
    // The dialog font's units are those of a dialog font: neither tiny nor huge.
    EXPECT_GE(units.baseX, 4);
    EXPECT_LE(units.baseX, 10);
    const QRgb background = dialog.palette().color(QPalette::Window).rgb();
    const QRect whole(QPoint(0, 0), dialog.size());
    for (const auto& control : model.controls) {
        QWidget* widget = dialog.controlWidget(control->id);
        if (control->id == -1 || !control->visible) continue;
        ASSERT_NE(widget, nullptr) << "control " << control->id;
        EXPECT_TRUE(widget->isVisible()) << "control " << control->id;
        const QRect expected = units.toPixels(control->x, control->y, control->w, control->h);
        const QRect shown = widget->geometry();
        EXPECT_LE(std::abs(shown.left() - expected.left()), kPlaceTolerance) << "control " << control->id;
        EXPECT_LE(std::abs(shown.top() - expected.top()), kPlaceTolerance) << "control " << control->id;
        EXPECT_LE(std::abs(shown.width() - expected.width()), kPlaceTolerance) << "control " << control->id;
        EXPECT_LE(std::abs(shown.height() - expected.height()), kPlaceTolerance) << "control " << control->id;
        EXPECT_TRUE(whole.contains(shown)) << "control " << control->id << " is clipped by the dialog's edge";
        checkTextFits(*control, *widget);
        if (!control->text.empty() && control->kind == QxUiControlKind::Static) {
            EXPECT_GT(drawnPixels(image, shown, background), 0) << "text of control " << control->id << " is not drawn";
        }
    }
}

}  // namespace qxtest
