// Opening a drawing file into a database and saving the database back into a file. The file
// read is kept with the database: every record knows the object made from it and a digest of
// what the object was then, so saving writes unchanged objects from their original text and
// regenerates only what the host changed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "cad/db/database_impl.h"
#include "cad/dxf/dxf_file.h"

namespace qx::dxf {

// Digests of the records' extended data as it was read. Most records have none, so only the
// others are kept, sorted by record, rather than eight bytes for every record of the file.
class XDataDigests {
public:
    // While reading, in any order; a record given again comes with the same digest.
    void add(std::size_t record, std::uint64_t digest);
    // Once every record is in.
    void seal();
    // The digest read for `record`; that of no extended data when it had none.
    std::uint64_t of(std::size_t record) const;

private:
    std::vector<std::pair<std::size_t, std::uint64_t>> m_digests;
};

struct DxfSource : QxDbDatabase::Impl::FileSource {
    std::unique_ptr<DxfFile> file;
    // Per record: the object made from it (null for records kept only as text), and digests of
    // its mapped values and of its extended data when it was read.
    std::vector<QxDbStub*> stubs;
    std::vector<std::uint64_t> fieldDigest;
    XDataDigests xdataDigests;
    // By position in the database's list of stubs (which only grows): whether the object was
    // made from a record. A bit each, where a set of a million pointers would cost more than
    // the stubs.
    std::vector<bool> stubFromRecord;
    void markStubFromRecord(std::size_t position)
    {
        if (position >= stubFromRecord.size()) stubFromRecord.resize(position + 1);
        stubFromRecord[position] = true;
    }
    bool isStubFromRecord(std::size_t position) const
    {
        return position < stubFromRecord.size() && stubFromRecord[position];
    }
    // Standard objects the file lacked and the reader added (layer "0", a table style...). They
    // are written only with other changes, so that an unchanged drawing saves unchanged.
    std::vector<QxDbStub*> addedDefaults;
    // Digests of the tables and dictionaries those defaults went into, taken after they were
    // added: these containers count as unchanged while they match.
    std::unordered_map<std::size_t, std::uint64_t> settledDigest;
};

// Whether saving would write anything but the file as it was read: an object changed, erased
// or added (other than the reader's own defaults).
bool hasChanges(QxDbDatabase& database, const DxfSource& source);

// Digests of what the writer would write for an object (its mapped values), and of its
// extended data. Equal digests: nothing to rewrite.
std::uint64_t fieldDigest(const QxDbObject& object);
std::uint64_t xdataDigest(const QxDbObject& object);

struct OpenResult {
    std::shared_ptr<QxDbDatabase> database;
    std::vector<std::string> warnings;
};

// Reads a drawing file into a new database and keeps the file with it. Progress is reported
// for large files. On failure nothing is kept and `error` says why.
bool openDxf(const std::string& path, OpenResult& result, DxfError& error, const DxfFile::Progress& progress = {});
// The same for text in memory (`name` is used in messages).
bool openDxfText(std::string text, const std::string& name, OpenResult& result, DxfError& error);

// The file a database was read from, or null for a database made in memory. It is kept by the
// database and goes with it; forgetSource lets it go before.
DxfSource* sourceOf(const QxDbDatabase* database);
void forgetSource(const QxDbDatabase* database);
void attachSource(QxDbDatabase& database, std::unique_ptr<DxfSource> source);

struct SaveResult {
    std::vector<std::string> warnings;  // e.g. extended data larger than other programs accept
};

// Writes the database as a drawing file at `path`, through a temporary file renamed over the
// target. A database read from a file keeps that file's version, encoding and every record it
// did not change; a new one is written as an R2013 file.
// Progress, when given, is told the bytes written against the size of the file the drawing was
// read from (a guess: edits change it), and the total once the file is complete.
bool saveDxf(QxDbDatabase& database, const std::string& path, SaveResult& result, DxfError& error,
             const DxfFile::Progress& progress = {});
// The bytes saveDxf would write.
bool writeDxfText(QxDbDatabase& database, std::string& text, SaveResult& result, DxfError& error);

}  // namespace qx::dxf
