// Icons, bitmaps and image lists.
#include <string>

#include "cad/editor/console.h"
#include "host/ui.h"

CQxUiImage CQxUiImage::LoadIcon(std::uint32_t id, int cx, int cy, QxResourceInstance instance)
{
    CQxUiImage image;
    const QxResourceFile* file = qxuiFindResource("images", id, instance);
    if (!file) return image;
    image.m_kind = Icon;
    image.m_id = id;
    image.m_cx = cx;
    image.m_cy = cy;
    image.m_file = file;
    return image;
}

CQxUiImage CQxUiImage::LoadBitmap(std::uint32_t id, QxResourceInstance instance)
{
    CQxUiImage image;
    const QxResourceFile* file = qxuiFindResource("images", id, instance);
    if (!file) return image;
    image.m_kind = Bitmap;
    image.m_id = id;
    image.m_file = file;
    return image;
}

CQxUiImage CQxUiImage::CheckBoxImage(bool checked)
{
    CQxUiImage image;
    image.m_kind = CheckBox;
    image.m_checked = checked;
    image.m_cx = image.m_cy = 16;
    return image;
}

std::u16string CQxUiImage::Describe() const
{
    switch (m_kind) {
    case None: return u"";
    case CheckBox: return m_checked ? u"[x]" : u"[ ]";
    case Icon: return u"<icon " + qx::fromUtf8(std::to_string(m_id)) + u">";
    case Bitmap: return u"<bitmap " + qx::fromUtf8(std::to_string(m_id)) + u">";
    }
    return u"";
}

bool CQxUiImageList::Create(int cx, int cy, int initial, int grow)
{
    if (cx <= 0 || cy <= 0 || initial < 0 || grow < 0) return false;
    m_images = std::make_shared<Images>();
    m_images->cx = cx;
    m_images->cy = cy;
    m_images->images.reserve(std::size_t(initial));
    return true;
}

int CQxUiImageList::Add(const CQxUiImage& image)
{
    if (!m_images || image.IsNull()) return -1;
    m_images->images.push_back(image);
    return int(m_images->images.size()) - 1;
}

int CQxUiImageList::GetImageCount() const { return m_images ? int(m_images->images.size()) : 0; }

CQxUiImage CQxUiImageList::GetImage(int index) const
{
    if (!m_images || index < 0 || index >= int(m_images->images.size())) return {};
    return m_images->images[std::size_t(index)];
}
