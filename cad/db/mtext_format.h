// The plain text of a multi-line text: inline formatting codes removed.
#pragma once

#include <string>
#include <string_view>

namespace qx {

// Removes font, height, width, colour, tracking, oblique, alignment and underline codes and
// grouping braces; turns paragraph breaks (\P) into '\n', non-breaking spaces (\~) into
// spaces, stacked fractions (\S1/2;) into "1/2", escaped characters (\\ \{ \}) and
// \U+XXXX into the character, and the special characters %%d %%p %%c into their symbols.
std::u16string mtextPlainText(std::u16string_view contents);

}  // namespace qx
