// Text styles for measuring text, as the display system sees them.
#pragma once

#include <string>

#include "dbid.h"
#include "geometry.h"

class QxGiWorldDraw;

class QxGiTextStyle {
public:
    QxGiTextStyle();
    ~QxGiTextStyle();
    QxGiTextStyle(const QxGiTextStyle&);
    QxGiTextStyle& operator=(const QxGiTextStyle&);

    void setTextSize(double size) { m_textSize = size; }
    double textSize() const { return m_textSize; }
    void setXScale(double scale) { m_xScale = scale; }
    double xScale() const { return m_xScale; }
    void setFileName(const std::u16string& fontFile) { m_fileName = fontFile; }
    const std::u16string& fileName() const { return m_fileName; }

    // The size of a text set in this style: X the advance width, Y the height. `raw` takes
    // the text literally (no formatting codes); `length` -1 measures the whole text.
    QxGePoint2d extents(const char16_t* text, bool raw, int length, bool penups,
                        QxGiWorldDraw* context = nullptr) const;

private:
    double m_textSize = 1.0, m_xScale = 1.0;
    std::u16string m_fileName;
};

// Fills a display text style from a text style record of the drawing.
Qxapp::ErrorStatus fromQxDbTextStyle(QxGiTextStyle& style, const QxDbObjectId& textStyleId);
