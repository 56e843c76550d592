// Small helpers the readers and writers of drawing files share.
#pragma once

#include <string>

#include "cad/db/database_impl.h"
#include "dbsymbols.h"

namespace qx::dxf {

// The name of the symbol table record an id leads to; empty for none.
inline std::u16string nameOf(QxDbObjectId id)
{
    const auto* record = QxDbSymbolTableRecord::cast(qx::peekObject(id));
    return record ? record->name() : std::u16string();
}

}  // namespace qx::dxf
