// What a formatted text (MTEXT contents, table cell texts) holds after a save and reopen: each
// line break, CR LF, CR or LF alike, written as the format's paragraph code, the rest as given.
// Shared by the writer's property test and the fuzz target that saves new objects.
#pragma once

#include <string>

namespace qx::dxf::test {

inline std::u16string asFormatted(const std::u16string& text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            out += u"\\P";
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace qx::dxf::test
