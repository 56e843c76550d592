// The inside of the drawing database, for the host's own layers (the file reader and writer,
// the editor). Modules never see it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "cad/db/internals.h"
#include "cad/db/stub_list.h"
#include "host/database.h"

struct QxDbDatabase::Impl {
    explicit Impl(QxDbDatabase* owner);
    ~Impl();

    QxDbDatabase* self;
    // Handles are found in constant time:
    // those of a drawing are nearly dense from 1 up, so most sit in a vector indexed by the
    // handle (8 bytes each); the few far above the others go into a map.
    StubList stubs;
    std::vector<QxDbStub*> denseHandles;
    std::unordered_map<std::uint64_t, QxDbStub*> sparseHandles;
    std::uint64_t handseed = 1;
    std::uint64_t highestHandle = 0;
    std::size_t openCount = 0;
    // Counts opens for write: each one stamps the object's stub with the new count, so a
    // reader of the drawing finds what changed since the count it last saw.
    std::uint32_t revision = 0;
    // The revision last written to a file by a save, if any: the drawing has changed since when
    // the revision has moved on.
    std::optional<std::uint32_t> savedRevision;

    QxDbObjectId blockTable, layerTable, linetypeTable, textStyleTable, regAppTable;
    QxDbObjectId modelSpace, paperSpace, namedObjects, tableStyleDictionary;
    QxDbObjectId currentTableStyle, currentTextStyle;

    // What a reader keeps with the database it read (the file, to write it back): a base that
    // this layer knows nothing more of, owned here so that it lives and dies with the database.
    struct FileSource {
        virtual ~FileSource() = default;
    };
    std::unique_ptr<FileSource> fileSource;

    QxGePoint3d ucsOrigin;
    QxGeVector3d ucsXDir = QxGeVector3d::kXAxis, ucsYDir = QxGeVector3d::kYAxis;
    int luprec = 4;

    // Takes ownership of `object` under `handle` (a new handle when 0). Not opened.
    Qxapp::ErrorStatus add(QxDbObject* object, std::uint64_t handle, QxDbObjectId owner, QxDbObjectId& id);
    QxDbStub* find(std::uint64_t handle) const;
    void indexHandle(std::uint64_t handle, QxDbStub* stub);
    // Takes the next handle that no object uses, for records a writer adds to a file
    // (every handle written stays below the seed written with it).
    std::uint64_t allocateHandle();
    // Gives an object another handle that no object uses; its ids stay valid. For a reader
    // that made an object before it had read every record and then meets a record that
    // carries the object's handle.
    void moveToFreeHandle(QxDbStub* stub);

    // Opening and closing as the host does it for every caller.
    Qxapp::ErrorStatus open(QxDbStub* stub, QxDb::OpenMode mode, bool openErased);
    Qxapp::ErrorStatus close(QxDbStub* stub);
    // Opens a fresh object for write right after it was added (appended entities, new
    // records): the caller closes it.
    void openNewForWrite(QxDbStub* stub);

    // Creates every standard table, record and dictionary that is missing: after the
    // constructor of an empty database and after a file was read. Objects already present
    // are found by class and by name and kept.
    void ensureDefaults();

    // Every live database, so that entity names (which carry a database address) can be
    // checked before use.
    static bool isLive(const QxDbDatabase* database);
};

namespace qx {
// Host access to an object without the open discipline: for bookkeeping inside the host
// only (never handed to a caller as if opened).
inline QxDbObject* peekObject(QxDbObjectId id)
{
    return id.isNull() ? nullptr : DbInternals::stub(id)->object;
}
}  // namespace qx
