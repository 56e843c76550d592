// Where a drawing is saved: read-only drawings and nodes that are not files are refused, a
// writable drawing in a folder that is not is written in place, links stay links. The tests
// run as any user, root included: read-only is the permission bits, which root would ignore.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "cad/dxf/dxf_builtins.h"
#include "cad/editor/console.h"
#include "cad/runtime/documents.h"
#include "drawing_support.h"
#include "support/files.h"

namespace qx::dxf {
namespace {

using qxtest::readFile;

class DxfSaveTarget : public ::testing::Test {
protected:
    void SetUp() override
    {
        database = test::openText(bench::DxfDrawingGenerator(2).drawing(5));
        ASSERT_TRUE(database);
        expected = test::saveText(*database);
    }
    void TearDown() override { ::chmod(dir.root().c_str(), 0755); }
    bool save(const std::string& path)
    {
        SaveResult result;
        error = {};
        return saveDxf(*database, path, result, error);
    }

    qxtest::TempDir dir;
    std::shared_ptr<QxDbDatabase> database;
    std::string expected;
    DxfError error;
};

TEST_F(DxfSaveTarget, AReadOnlyDrawingIsRefusedAndKept)
{
    const std::string path = dir.write("plan.dxf", "the user's drawing");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    struct stat before {};
    ::stat(path.c_str(), &before);
    EXPECT_FALSE(save(path));
    EXPECT_NE(error.message.find("read-only"), std::string::npos) << error.text();
    EXPECT_EQ(readFile(path), "the user's drawing");
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(dir.entries(), 1u);
}

TEST_F(DxfSaveTarget, ANodeThatIsNotAFileIsRefusedAndStaysWhatItIs)
{
    const std::string fifo = dir.file("pipe.dxf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_FALSE(save(fifo));
    EXPECT_NE(error.message.find("not a regular file"), std::string::npos) << error.text();
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_FALSE(save(dir.root().string()));
    EXPECT_NE(error.message.find("folder"), std::string::npos) << error.text();
    EXPECT_EQ(dir.entries(), 1u);
}

TEST_F(DxfSaveTarget, AWritableDrawingInAReadOnlyFolderIsWrittenInPlace)
{
    const std::string path = dir.write("plan.dxf", std::string(100000, 'x'));  // longer than the drawing: the rest must go
    ASSERT_EQ(::chmod(dir.root().c_str(), 0555), 0);
    struct stat before {};
    ::stat(path.c_str(), &before);
    EXPECT_TRUE(save(path)) << error.text();
    EXPECT_EQ(readFile(path), expected);
    EXPECT_EQ(test::reopenError(readFile(path)), "");
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);  // the same file, not a new one
    EXPECT_EQ(dir.entries(), 1u);
    // A new file there still cannot be made, and says so.
    EXPECT_FALSE(save(dir.file("new.dxf")));
    EXPECT_EQ(dir.entries(), 1u);
}

TEST_F(DxfSaveTarget, ALinkStaysALinkAndTheDrawingKeepsItsModeAndOwner)
{
    const std::string path = dir.write("plan.dxf", "old"), link = dir.file("latest.dxf");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    std::filesystem::create_symlink("plan.dxf", link);
    const bool privileged = ::geteuid() == 0;
    if (privileged) {
        ASSERT_EQ(::chown(path.c_str(), 4321, 4321), 0);
    }
    EXPECT_TRUE(save(link)) << error.text();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(path), expected);
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (privileged) {
        EXPECT_EQ(info.st_uid, 4321u);
    }
    EXPECT_EQ(dir.entries(), 2u);
}

TEST_F(DxfSaveTarget, TheSaveCommandsPrintTheRefusalAndKeepTheDrawingsFile)
{
    registerDxfBuiltins();
    const std::string path = dir.write("plan.dxf", expected);
    std::u16string openError;
    ASSERT_TRUE(openDrawing(path, openError)) << toUtf8(openError);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    clearTranscript();
    EXPECT_FALSE((*findBuiltin(u"SAVE"))(u""));
    EXPECT_NE(transcript().find(u"SAVE: " + fromUtf8(path) + u": the file is read-only"), std::u16string::npos)
        << toUtf8(transcript());
    const std::string fifo = dir.file("pipe.dxf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_FALSE((*findBuiltin(u"SAVEAS"))(fromUtf8(fifo)));
    EXPECT_NE(transcript().find(u"not a regular file"), std::u16string::npos) << toUtf8(transcript());
    EXPECT_EQ(currentFileName(), fromUtf8(path));
}

TEST_F(DxfSaveTarget, AChangedDrawingIsClosedOnlyWhenThePersonAtTheInputSaysSo)
{
    registerDxfBuiltins();
    const std::string path = dir.write("plan.dxf", expected);
    const auto openPlan = [&path] {
        std::u16string openError;
        ASSERT_TRUE(openDrawing(path, openError)) << toUtf8(openError);
    };
    const auto change = [] { test::appendToModelSpace(*currentDatabase(), new QxDbLine({0, 0, 0}, {1, 1, 0})); };
    // NEW with `answers` at the input, typed by a person or read from a script.
    const auto startNew = [](const std::string& answers, bool person) {
        std::istringstream in(answers), none;
        setInput(in, person);
        clearTranscript();
        (*findBuiltin(u"NEW"))(u"");
        setInput(none, true);
        return transcript().find(u"Save the changes to plan.dxf? ") != std::u16string::npos;
    };
    openPlan();
    EXPECT_FALSE(startNew("", true)) << "nothing changed";
    EXPECT_EQ(currentFileName(), u"Drawing1.dxf");

    openPlan();
    change();
    EXPECT_TRUE(startNew("cancel\n", true));
    EXPECT_EQ(currentFileName(), fromUtf8(path)) << "the drawing stays open";
    EXPECT_TRUE(startNew("no\n", true));
    EXPECT_EQ(currentFileName(), u"Drawing1.dxf");
    EXPECT_EQ(readFile(path), expected) << "the changes were let go";

    openPlan();
    change();
    EXPECT_FALSE(startNew("", false)) << "a script is never asked";
    EXPECT_EQ(readFile(path), expected);

    openPlan();
    change();
    EXPECT_TRUE(startNew("Yes\n", true));
    EXPECT_EQ(currentFileName(), u"Drawing1.dxf");
    EXPECT_NE(readFile(path), expected) << "saved before the new drawing";
    openPlan();
    EXPECT_FALSE(startNew("", true)) << "what was saved is the drawing";
}

}  // namespace
}  // namespace qx::dxf
