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

namespace qx::dxf {
namespace {

std::string contentOf(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DxfSaveTarget : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("qx-save-target-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        database = test::openText(bench::DxfDrawingGenerator(2).drawing(5));
        ASSERT_TRUE(database);
        expected = test::saveText(*database);
    }
    void TearDown() override
    {
        ::chmod(dir.c_str(), 0755);
        std::filesystem::remove_all(dir);
    }
    bool save(const std::filesystem::path& path)
    {
        SaveResult result;
        error = {};
        return saveDxf(*database, path.string(), result, error);
    }
    // Nothing but the given entries in the folder: no temporary file left behind.
    std::size_t entries() const { return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {})); }

    std::filesystem::path dir;
    std::shared_ptr<QxDbDatabase> database;
    std::string expected;
    DxfError error;
};

TEST_F(DxfSaveTarget, AReadOnlyDrawingIsRefusedAndKept)
{
    const auto path = dir / "plan.dxf";
    std::ofstream(path) << "the user's drawing";
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    struct stat before {};
    ::stat(path.c_str(), &before);
    EXPECT_FALSE(save(path));
    EXPECT_NE(error.message.find("read-only"), std::string::npos) << error.text();
    EXPECT_EQ(contentOf(path), "the user's drawing");
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(DxfSaveTarget, ANodeThatIsNotAFileIsRefusedAndStaysWhatItIs)
{
    const auto fifo = dir / "pipe.dxf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_FALSE(save(fifo));
    EXPECT_NE(error.message.find("not a regular file"), std::string::npos) << error.text();
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_FALSE(save(dir));
    EXPECT_NE(error.message.find("folder"), std::string::npos) << error.text();
    EXPECT_EQ(entries(), 1u);
}

TEST_F(DxfSaveTarget, AWritableDrawingInAReadOnlyFolderIsWrittenInPlace)
{
    const auto path = dir / "plan.dxf";
    std::ofstream(path) << std::string(100000, 'x');  // longer than the drawing: the rest must go
    ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
    struct stat before {};
    ::stat(path.c_str(), &before);
    EXPECT_TRUE(save(path)) << error.text();
    EXPECT_EQ(contentOf(path), expected);
    EXPECT_EQ(test::reopenError(contentOf(path)), "");
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);  // the same file, not a new one
    EXPECT_EQ(entries(), 1u);
    // A new file there still cannot be made, and says so.
    EXPECT_FALSE(save(dir / "new.dxf"));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(DxfSaveTarget, ALinkStaysALinkAndTheDrawingKeepsItsModeAndOwner)
{
    const auto path = dir / "plan.dxf", link = dir / "latest.dxf";
    std::ofstream(path) << "old";
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    std::filesystem::create_symlink(path.filename(), link);
    const bool privileged = ::geteuid() == 0;
    if (privileged) {
        ASSERT_EQ(::chown(path.c_str(), 4321, 4321), 0);
    }
    EXPECT_TRUE(save(link)) << error.text();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(contentOf(path), expected);
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (privileged) {
        EXPECT_EQ(info.st_uid, 4321u);
    }
    EXPECT_EQ(entries(), 2u);
}

TEST_F(DxfSaveTarget, TheSaveCommandsPrintTheRefusalAndKeepTheDrawingsFile)
{
    registerDxfBuiltins();
    const auto path = dir / "plan.dxf";
    std::ofstream(path) << expected;
    std::u16string openError;
    ASSERT_TRUE(openDrawing(path.string(), openError)) << toUtf8(openError);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    clearTranscript();
    EXPECT_FALSE((*findBuiltin(u"SAVE"))(u""));
    EXPECT_NE(transcript().find(u"SAVE: " + fromUtf8(path.string()) + u": the file is read-only"), std::u16string::npos)
        << toUtf8(transcript());
    const auto fifo = dir / "pipe.dxf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_FALSE((*findBuiltin(u"SAVEAS"))(fromUtf8(fifo.string())));
    EXPECT_NE(transcript().find(u"not a regular file"), std::u16string::npos) << toUtf8(transcript());
    EXPECT_EQ(currentFileName(), fromUtf8(path.string()));
}

}  // namespace
}  // namespace qx::dxf
