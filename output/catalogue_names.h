// Names that a record stored in whichever of the module's languages was current when it was
// written, recognised in any of them and given as the current catalogue names them. A table
// made in English must stay up to date when the host runs in French.
#pragma once

#include <map>
#include <set>
#include <string>

#include "engine/str_helper.h"

class CatalogueNames {
public:
    explicit CatalogueNames(const StrHelper& strHelper);

    // The current catalogue's name for `csName` when it is a catalogue name (a kind or a
    // property) in any language; any other text (an attribute tag) unchanged.
    std::u16string ToCurrent(const std::u16string& csName) const;
    // True when the current catalogue has the name (kinds and properties).
    bool IsCurrentName(const std::u16string& csName) const { return m_seCurrent.count(csName) != 0; }

private:
    std::set<std::u16string> m_seCurrent;
    std::map<std::u16string, std::u16string> m_mpOtherToCurrent;
};
