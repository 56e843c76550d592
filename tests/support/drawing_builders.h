// Objects that several test fixtures put into a drawing.
#pragma once

#include <gtest/gtest.h>

#include "host/database.h"
#include "host/dbsymbols.h"

namespace qxtest {

// Appends `entity` to the model space of `db` and closes both; the new object's id.
inline QxDbObjectId appendToModelSpace(QxDbDatabase& db, QxDbEntity* entity)
{
    QxDbBlockTableRecord* space = nullptr;
    EXPECT_EQ(qxdbOpenObject(space, db.modelSpaceId(), QxDb::kForWrite), Qxapp::eOk);
    QxDbObjectId id;
    EXPECT_EQ(space->appendQxDbEntity(id, entity), Qxapp::eOk);
    space->close();
    entity->close();
    return id;
}

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
