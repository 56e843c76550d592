// A fresh drawing as the working database, and small helpers to fill it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "host/qxhost.h"
#include "support/drawing_builders.h"

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = std::make_unique<QxDbDatabase>();
        qxdbHostApplicationServices()->setWorkingDatabase(db.get());
    }
    void TearDown() override
    {
        EXPECT_EQ(db->openObjectCount(), 0u) << "a test left objects open";
        qxdbHostApplicationServices()->setWorkingDatabase(nullptr);
    }

    // Appends to model space and closes; returns the new id.
    QxDbObjectId add(QxDbEntity* entity) { return qxtest::appendToModelSpace(*db, entity); }

    // Adds a block holding a line from (0,0) to (2,1).
    QxDbObjectId addBlock(const char16_t* name, bool dynamic = false, QxDbObjectId represents = {})
    {
        QxDbBlockTable* blocks = nullptr;
        EXPECT_EQ(db->getSymbolTable(blocks, QxDb::kForWrite), Qxapp::eOk);
        auto* record = new QxDbBlockTableRecord;
        record->setName(name);
        record->setDynamicDefinition(dynamic);
        record->setDynamicBlockDefinition(represents);
        QxDbObjectId id;
        EXPECT_EQ(blocks->add(id, record), Qxapp::eOk);
        auto* line = new QxDbLine({0, 0, 0}, {2, 1, 0});
        EXPECT_EQ(record->appendQxDbEntity(line), Qxapp::eOk);
        QxDbEntity* again = nullptr;
        EXPECT_EQ(qxdbOpenQxDbEntity(again, record->entityIds().front(), QxDb::kForRead), Qxapp::eWasOpenForWrite)
            << "an appended entity stays open for write until closed";
        line->close();
        record->close();
        blocks->close();
        return id;
    }

    QxDbObjectId addLine(double x0, double y0, double x1, double y1)
    {
        return add(new QxDbLine({x0, y0, 0}, {x1, y1, 0}));
    }

    std::unique_ptr<QxDbDatabase> db;
};
