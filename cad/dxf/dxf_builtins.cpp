#include "cad/dxf/dxf_builtins.h"

#include <filesystem>

#include "cad/db/database_impl.h"
#include "cad/dxf/dxf_drawing.h"
#include "cad/editor/console.h"
#include "cad/runtime/documents.h"
#include "database.h"

namespace qx {

namespace {

// Drawings above this size show their progress while they are read.
constexpr std::uint64_t kProgressThreshold = 10u << 20;

// Reports `task` in steps of ten percent when the file is large enough to take a while.
dxf::DxfFile::Progress progressOf(std::u16string task, std::uint64_t bytes)
{
    if (bytes <= kProgressThreshold) return {};
    return [task = std::move(task), lastPercent = -1](std::uint64_t done, std::uint64_t total) mutable {
        const int percent = total ? static_cast<int>(done * 100 / total) : 100;
        if (percent / 10 == lastPercent / 10) return;
        lastPercent = percent;
        reportProgress(task, percent);
    };
}

bool fail(std::u16string_view command, std::u16string_view message)
{
    printLine(std::u16string(command) + u": " + std::u16string(message));
    return false;
}

std::u16string trimmedPath(std::u16string_view arguments)
{
    std::u16string path(arguments);
    while (!path.empty() && path.back() == u' ') path.pop_back();
    while (!path.empty() && path.front() == u' ') path.erase(0, 1);
    if (path.size() >= 2 && path.front() == u'"' && path.back() == u'"') path = path.substr(1, path.size() - 2);
    return path;
}

void printWarnings(const std::vector<std::string>& warnings)
{
    for (const auto& w : warnings) printLine(u"Warning: " + fromUtf8(w));
}

bool saveTo(std::u16string_view command, const std::u16string& path)
{
    auto database = currentDatabase();
    if (!database) return fail(command, u"no drawing is open.");
    dxf::SaveResult result;
    dxf::DxfError error;
    // The file the drawing was read from tells how long the new one will take to write.
    const dxf::DxfSource* source = dxf::sourceOf(database.get());
    const auto progress = progressOf(u"Saving " + path, source && source->file ? source->file->text().size() : 0);
    if (!dxf::saveDxf(*database, toUtf8(path), result, error, progress)) return fail(command, fromUtf8(error.text()));
    DbInternals::impl(*database).savedRevision = DbInternals::impl(*database).revision;
    printWarnings(result.warnings);
    printLine(u"Saved " + path);
    return true;
}

bool openCommand(std::u16string_view arguments)
{
    const std::u16string path = trimmedPath(arguments);
    if (path.empty()) return fail(u"OPEN", u"give the path of a drawing file.");
    if (!mayCloseDrawing()) return true;
    std::u16string error;
    if (!openDrawing(toUtf8(path), error)) return fail(u"OPEN", error);
    return true;
}

// A drawing made with NEW has a file only once SAVEAS gave it one; until then SAVE must not
// write over whatever file happens to carry its placeholder name.
std::weak_ptr<QxDbDatabase>& namedNewDrawing()
{
    static std::weak_ptr<QxDbDatabase> drawing;
    return drawing;
}

bool saveCommand(std::u16string_view arguments)
{
    if (!trimmedPath(arguments).empty()) return fail(u"SAVE", u"SAVE writes the drawing's own file; use SAVEAS path.");
    const auto database = currentDatabase();
    const bool hasFile = database && (dxf::sourceOf(database.get()) || namedNewDrawing().lock() == database);
    if (!hasFile) return fail(u"SAVE", u"the drawing has no file yet; use SAVEAS path.");
    return saveTo(u"SAVE", currentFileName());
}

bool saveAsCommand(std::u16string_view arguments)
{
    const std::u16string path = trimmedPath(arguments);
    if (path.empty()) return fail(u"SAVEAS", u"give the path to save the drawing to.");
    if (!saveTo(u"SAVEAS", path)) return false;
    // The drawing is now that file; the records it was read from stay with it.
    namedNewDrawing() = currentDatabase();
    setCurrentDocument(path, currentDatabase());
    return true;
}

bool newCommand(std::u16string_view)
{
    if (!mayCloseDrawing()) return true;
    if (auto old = currentDatabase()) dxf::forgetSource(old.get());
    setCurrentDocument(u"Drawing1.dxf", std::make_shared<QxDbDatabase>());
    printLine(u"New drawing Drawing1.dxf");
    return true;
}

}  // namespace

// A drawing saved has changed when anything was opened for write since. One read from a file
// and not saved yet has changed when saving would write something new; a new drawing has once
// it holds anything. Comparing a large drawing with its file takes a while, so the answer is
// kept until the database changes again.
bool drawingChangedSinceSaved()
{
    static std::weak_ptr<QxDbDatabase> checked;
    static std::uint32_t checkedRevision = 0;
    static bool changed = false;
    const auto database = currentDatabase();
    if (!database) return false;
    const auto& internals = DbInternals::impl(*database);
    const std::uint32_t revision = internals.revision;
    if (internals.savedRevision) return revision != *internals.savedRevision;
    if (database == checked.lock() && revision == checkedRevision) return changed;
    if (dxf::DxfSource* source = dxf::sourceOf(database.get())) {
        changed = dxf::hasChanges(*database, *source);
    } else {
        const auto* space = QxDbBlockTableRecord::cast(peekObject(database->modelSpaceId()));
        changed = space && !space->entityIds().empty();
    }
    checked = database;
    checkedRevision = revision;
    return changed;
}

bool mayCloseDrawing()
{
    if (!personAtInput() || !drawingChangedSinceSaved()) return true;
    const std::u16string name = std::filesystem::path(toUtf8(currentFileName())).filename().u16string();
    std::u16string answer;
    if (!readInputLine(u"Save the changes to " + name + u"? [Yes/No/Cancel] <Cancel>: ", answer)) return false;
    for (char16_t& c : answer) c = c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
    answer = trimmedPath(answer);
    if (answer == u"y" || answer == u"yes") return saveCommand({});
    if (answer == u"n" || answer == u"no") return true;
    printLine(u"The drawing stays open.");
    return false;
}

bool openDrawing(const std::string& path, std::u16string& error)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    const dxf::DxfFile::Progress progress = progressOf(u"Reading " + fromUtf8(path), ec ? 0 : size);
    dxf::OpenResult result;
    dxf::DxfError dxfError;
    if (!dxf::openDxf(path, result, dxfError, progress)) {
        error = fromUtf8(dxfError.text());
        return false;
    }
    if (auto old = currentDatabase()) dxf::forgetSource(old.get());
    printWarnings(result.warnings);
    setCurrentDocument(fromUtf8(path), result.database);
    printLine(u"Opened " + fromUtf8(path));
    return true;
}

void registerDxfBuiltins()
{
    registerBuiltin(u"OPEN", u"OPEN path: opens a DXF drawing (the current one stays open if it cannot be read)", openCommand);
    registerBuiltin(u"SAVE", u"SAVE: saves the drawing to its own file", saveCommand);
    registerBuiltin(u"SAVEAS", u"SAVEAS path: saves the drawing to another file, which becomes its file", saveAsCommand);
    registerBuiltin(u"NEW", u"NEW: starts a new, empty drawing", newCommand);
}

}  // namespace qx
