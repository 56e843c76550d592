// Helpers the wizard pages share.
#include "wizard/WizardPage.h"

#include <algorithm>
#include <string>

#include "module/strings.h"

void SetPageTexts(CPnUiBaseDialog& page, std::uint32_t nTitleId,
                  std::initializer_list<std::pair<int, std::uint32_t>> lsControlTexts)
{
    page.SetWindowText(LoadResString(nTitleId));
    for (const auto& [nControl, nText] : lsControlTexts) page.SetDlgItemText(nControl, LoadResString(nText));
}

bool GetCheckChange(const QxUiNotify& notify, CheckChange& change)
{
    if (notify.oldState == 0 && notify.newState == 0) return false;
    // State image 1 is the unchecked box, 2 the checked one; 0 (no box yet) counts as unchecked.
    change.nOld = std::max(0, QxUiList::StateImageOf(notify.oldState) - 1);
    change.nNew = std::max(0, QxUiList::StateImageOf(notify.newState) - 1);
    return change.nOld != change.nNew;
}

std::u16string NumberText(long long nValue)
{
    const std::string csDigits = std::to_string(nValue);
    return std::u16string(csDigits.begin(), csDigits.end());
}

long long TextNumber(const std::u16string& csText)
{
    std::size_t nPos = 0;
    bool bNegative = false;
    if (nPos < csText.size() && (csText[nPos] == u'+' || csText[nPos] == u'-')) bNegative = csText[nPos++] == u'-';
    long long nValue = 0;
    for (; nPos < csText.size() && csText[nPos] >= u'0' && csText[nPos] <= u'9'; ++nPos) {
        if (nValue > 100000000000000LL) break;  // far beyond any category or row number
        nValue = nValue * 10 + (csText[nPos] - u'0');
    }
    return bNegative ? -nValue : nValue;
}
