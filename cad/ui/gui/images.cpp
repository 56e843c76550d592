#include "cad/ui/gui/images.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace qxgui {

namespace {

QPixmap checkBoxPixmap(bool checked, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QStyleOptionButton option;
    option.rect = QRect(0, 0, size, size);
    option.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
    QApplication::style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter);
    return pixmap;
}

}  // namespace

QPixmap pixmapOf(const CQxUiImage& image)
{
    if (image.GetKind() == CQxUiImage::CheckBox) return checkBoxPixmap(image.IsCheckedBox(), 13);
    const QxResourceFile* file = image.GetResource();
    if (!file || !file->data) return {};
    QImage picture;
    if (!picture.loadFromData(file->data, int(file->size))) return {};
    QPixmap pixmap = QPixmap::fromImage(picture);
    if (image.GetKind() == CQxUiImage::Icon && image.Width() > 0 && image.Height() > 0 &&
        (pixmap.width() != image.Width() || pixmap.height() != image.Height()))
        pixmap = pixmap.scaled(image.Width(), image.Height(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return pixmap;
}

}  // namespace qxgui
