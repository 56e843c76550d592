// A fresh drawing as the working database, and small helpers to fill it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "host/qxhost.h"

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
    QxDbObjectId add(QxDbEntity* entity)
    {
        QxDbBlockTableRecord* space = nullptr;
        EXPECT_EQ(qxdbOpenObject(space, db->modelSpaceId(), QxDb::kForWrite), Qxapp::eOk);
        QxDbObjectId id;
        EXPECT_EQ(space->appendQxDbEntity(id, entity), Qxapp::eOk);
        space->close();
        entity->close();
        return id;
    }

    QxDbObjectId addLine(double x0, double y0, double x1, double y1)
    {
        return add(new QxDbLine({x0, y0, 0}, {x1, y1, 0}));
    }

    std::unique_ptr<QxDbDatabase> db;
};
