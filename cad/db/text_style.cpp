// Measuring text for the display system: glyph advances of a metric-compatible sans-serif
// font, read with FreeType, so that fitted table columns match what users see.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <mutex>

#include "cad/db/mtext_format.h"
#include "host/dbsymbols.h"
#include "host/gi.h"

namespace {

constexpr const char* kFontPath = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";

// Without the font file, texts are estimated at this fraction of the text height per
// character: the sans-serif font's average advance over ordinary words (about 0.53 em)
// divided by its capital height (0.716 em).
constexpr double kFallbackAdvance = 0.75;

class FontMetrics {
public:
    static FontMetrics& instance()
    {
        static FontMetrics* metrics = new FontMetrics;  // kept for the process's life
        return *metrics;
    }

    // Advance width of the text in em units (1.0 = the font's em square), or a negative
    // value when no font is available.
    double advance(std::u16string_view text)
    {
        std::lock_guard lock(m_mutex);
        if (!m_face) return -1;
        double units = 0;
        FT_UInt previous = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            char32_t cp = text[i];
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            }
            const FT_UInt glyph = FT_Get_Char_Index(m_face, cp);
            if (previous && glyph && FT_HAS_KERNING(m_face)) {
                FT_Vector kern;
                if (FT_Get_Kerning(m_face, previous, glyph, FT_KERNING_UNSCALED, &kern) == 0) units += kern.x;
            }
            if (FT_Load_Glyph(m_face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0)
                units += m_face->glyph->advance.x;
            previous = glyph;
        }
        return units / m_face->units_per_EM;
    }

    // The height of a capital letter in em units: the text height of a CAD text is the
    // height of its capitals.
    double capHeight() const { return m_capHeight; }

private:
    FontMetrics()
    {
        if (FT_Init_FreeType(&m_library) != 0) return;
        if (FT_New_Face(m_library, kFontPath, 0, &m_face) != 0) {
            m_face = nullptr;
            return;
        }
        FT_UInt h = FT_Get_Char_Index(m_face, 'H');
        if (h && FT_Load_Glyph(m_face, h, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0 && m_face->glyph->metrics.height > 0)
            m_capHeight = static_cast<double>(m_face->glyph->metrics.height) / m_face->units_per_EM;
    }

    std::mutex m_mutex;
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
    double m_capHeight = 0.7;
};

}  // namespace

QxGiTextStyle::QxGiTextStyle() = default;
QxGiTextStyle::~QxGiTextStyle() = default;
QxGiTextStyle::QxGiTextStyle(const QxGiTextStyle&) = default;
QxGiTextStyle& QxGiTextStyle::operator=(const QxGiTextStyle&) = default;

QxGePoint2d QxGiTextStyle::extents(const char16_t* text, bool raw, int length, bool /*penups*/,
                                   QxGiWorldDraw* /*context*/) const
{
    if (!text) return {0, m_textSize};
    std::u16string_view view(text);
    if (length >= 0 && static_cast<std::size_t>(length) < view.size()) view = view.substr(0, length);
    const std::u16string plain = raw ? std::u16string(view) : qx::mtextPlainText(view);

    // The widest line counts; the height grows with the lines.
    double widest = 0;
    std::size_t lines = 1, start = 0;
    auto& metrics = FontMetrics::instance();
    for (std::size_t i = 0; i <= plain.size(); ++i) {
        if (i < plain.size() && plain[i] != u'\n') continue;
        const std::u16string_view line = std::u16string_view(plain).substr(start, i - start);
        double em = metrics.advance(line);
        // The text size is the capital height; the em square is larger by 1/capHeight.
        double width = em >= 0 ? em / metrics.capHeight() * m_textSize : kFallbackAdvance * m_textSize * line.size();
        widest = std::max(widest, width * m_xScale);
        if (i < plain.size()) ++lines;
        start = i + 1;
    }
    const double height = m_textSize * (1 + (lines - 1) * 5.0 / 3.0);
    return {widest, height};
}

Qxapp::ErrorStatus fromQxDbTextStyle(QxGiTextStyle& style, const QxDbObjectId& textStyleId)
{
    QxDbTextStyleTableRecord* record = nullptr;
    const Qxapp::ErrorStatus es = qxdbOpenObject(record, textStyleId, QxDb::kForRead);
    if (es != Qxapp::eOk) return es;
    if (record->textSize() > 0) style.setTextSize(record->textSize());
    style.setXScale(record->xScale() > 0 ? record->xScale() : 1.0);
    style.setFileName(record->fileName());
    record->close();
    return Qxapp::eOk;
}
