// Objects that several test fixtures put into a drawing.
#pragma once

#include <gtest/gtest.h>

#include "host/database.h"
#include "host/dbsymbols.h"

namespace qxtest {

// An empty block definition named `name`.
inline QxDbObjectId addBlock(QxDbDatabase& db, const char16_t* name)
{
    QxDbBlockTable* blockTable = nullptr;
    EXPECT_EQ(db.getSymbolTable(blockTable, QxDb::kForWrite), Qxapp::eOk);
    auto* record = new QxDbBlockTableRecord;
    record->setName(name);
    QxDbObjectId id;
    EXPECT_EQ(blockTable->add(id, record), Qxapp::eOk);
    record->close();
    blockTable->close();
    return id;
}

}  // namespace qxtest
