// Tables too large to be of use in a drawing.
#include "output/table_size_check.h"

#include <string>

#include "module/strings.h"
#include "resources/string_ids.h"

namespace {

// Measured on saved drawings of generated objects: a table of one column of texts took 450
// bytes a cell, one of 58 columns with a quarter of its cells filled 180.
constexpr std::uint64_t kBytesPerCell = 100;
constexpr std::uint64_t kBytesPerText = 350;
constexpr std::uint64_t kBytesPerMegabyte = 1024 * 1024;

std::u16string Decimal(std::uint64_t n)
{
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::uint64_t EstimatedTableBytes(std::size_t nRows, std::size_t nCols, std::uint64_t nTexts)
{
    return std::uint64_t(nRows) * std::uint64_t(nCols) * kBytesPerCell + nTexts * kBytesPerText;
}

bool ConfirmTableSize(QxWindowHandle owner, std::size_t nRows, std::size_t nCols,
                      const std::function<std::uint64_t()>& countTexts)
{
    if (nRows <= kHugeTableRows) return true;
    const std::uint64_t nBytes = EstimatedTableBytes(nRows, nCols, countTexts ? countTexts() : 0);
    // Rounded up: a table that is asked about is never "0 MB".
    const std::uint64_t nMegabytes = (nBytes + kBytesPerMegabyte - 1) / kBytesPerMegabyte;
    const std::u16string text =
        FormatResString(kIdsHugeTableQuestion, Decimal(nRows), Decimal(nMegabytes), Decimal(kHugeTableRows));
    return qxuiMessageBox(owner, text, u"", QxUiMsg::YesNo | QxUiMsg::IconQuestion) == IDYES;
}
