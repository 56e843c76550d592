// A drawing for the wizard to read, the module in English, and a way to run the wizard's
// command with a script of dialog actions and prompt answers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "support/drawing_builders.h"
#include "cad/editor/console.h"
#include "cad/runtime/documents.h"
#include "cad/runtime/language.h"
#include "host/database.h"
#include "host/dbentities.h"
#include "host/dbsymbols.h"
#include "module/commands.h"
#include "module/module_state.h"
#include "support/files.h"
#include "support/ui_dialogs.h"

namespace qxtest {

class WizardDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        AttachModule();
        qx::setUserLanguage(qx::Language::English);
        db = std::make_shared<QxDbDatabase>();
        qx::setCurrentDocument(u"/drawings/plant.dxf", db);
    }
    void TearDown() override
    {
        EXPECT_EQ(db->openObjectCount(), 0u) << "every object opened is closed again";
        qx::setCurrentDocument(u"Drawing1.dxf", std::make_shared<QxDbDatabase>());
    }

    // Adds `entity` to model space, leaving it open.
    void addToModelSpace(QxDbEntity* entity)
    {
        QxDbBlockTable* blocks = nullptr;
        EXPECT_EQ(db->getSymbolTable(blocks, QxDb::kForRead), Qxapp::eOk);
        QxDbBlockTableRecord* model = nullptr;
        EXPECT_EQ(blocks->getAt(QXDB_MODEL_SPACE, model, QxDb::kForWrite), Qxapp::eOk);
        blocks->close();
        QxDbObjectId id;
        EXPECT_EQ(model->appendQxDbEntity(id, entity), Qxapp::eOk);
        model->close();
    }

    std::u16string append(QxDbEntity* entity)
    {
        addToModelSpace(entity);
        const std::u16string handle = entity->handle().ascii();
        entity->close();
        return handle;
    }

    QxDbObjectId addBlock(const char16_t* name) { return qxtest::addBlock(*db, name); }

    // A reference to `block` with one attribute.
    std::u16string addReference(QxDbObjectId block, const char16_t* tag, const char16_t* value)
    {
        auto* reference = new QxDbBlockReference(QxGePoint3d{1, 2, 0}, block);
        addToModelSpace(reference);
        auto* attribute = new QxDbAttribute;
        attribute->setTag(tag);
        attribute->setTextString(value);
        QxDbObjectId attributeId;
        EXPECT_EQ(reference->appendAttribute(attributeId, attribute), Qxapp::eOk);
        attribute->close();
        const std::u16string handle = reference->handle().ascii();
        reference->close();
        return handle;
    }

    // Two lines of length 10 and 5 and two circles of radius 1.
    void drawLinesAndCircles()
    {
        append(new QxDbLine({0, 0, 0}, {10, 0, 0}));
        append(new QxDbLine({0, 0, 0}, {0, 5, 0}));
        append(new QxDbCircle({0, 0, 0}, 1));
        append(new QxDbCircle({5, 5, 0}, 1));
    }

    // Runs DATAEXTRACTION with the given lines as the user's input; returns what was printed.
    std::string runWizard(const std::string& lines)
    {
        ScriptInput input(lines);
        RunDataExtraction();
        EXPECT_TRUE(input.consumed()) << "the wizard ended before the script did";
        return qx::toUtf8(qx::transcript());
    }

    // Every showing of the dialog with this title, as the console printed it, in order.
    static std::vector<std::string> views(const std::string& out, const std::string& title)
    {
        std::vector<std::string> found;
        for (std::size_t at = out.find("Dialog \"" + title); at != std::string::npos;
             at = out.find("Dialog \"" + title, at + 1)) {
            const std::size_t end = std::min(out.find("Actions (", at), out.find("Dialog action:", at));
            found.push_back(out.substr(at, end == std::string::npos ? std::string::npos : end - at));
        }
        return found;
    }
    static std::string lastDialog(const std::string& out, const std::string& title)
    {
        const std::vector<std::string> found = views(out, title);
        return found.empty() ? std::string() : found.back();
    }
    // The line of `text` that holds `part`, empty when none does.
    static std::string lineWith(const std::string& text, const std::string& part)
    {
        const std::size_t at = text.find(part);
        if (at == std::string::npos) return {};
        const std::size_t begin = text.rfind('\n', at) + 1;
        return text.substr(begin, text.find('\n', at) - begin);
    }
    // The last cell of a list row as the console prints it, without its padding.
    static std::string lastCell(const std::string& line)
    {
        std::string cell = line.substr(line.rfind('|') + 1);
        cell.erase(0, cell.find_first_not_of(' '));
        cell.erase(cell.find_last_not_of(' ') + 1);
        return cell;
    }

    std::string path(const std::string& name) const { return scratch.file(name); }
    static std::string readFile(const std::string& file) { return qxtest::readFile(file); }
    static bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
    static std::size_t count(const std::string& text, const std::string& part)
    {
        std::size_t n = 0;
        for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
        return n;
    }

    std::shared_ptr<QxDbDatabase> db;
    TempDir scratch;
};

}  // namespace qxtest
