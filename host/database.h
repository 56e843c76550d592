// The drawing database and the host application services that give the working one.
#pragma once

#include <memory>
#include <string>

#include "dbsymbols.h"
#include "dbtable.h"

class QxDbDatabase {
public:
    // A new, empty drawing: model and paper space, layer "0", linetypes "ByBlock", "ByLayer"
    // and "Continuous", text style "Standard", application "ACAD", and a table-style
    // dictionary holding a "Standard" table style. Without defaults the database starts
    // empty, for the file reader, which then calls Impl::ensureDefaults() to add whatever
    // standard object the file lacks.
    explicit QxDbDatabase(bool withDefaults = true);
    ~QxDbDatabase();
    QxDbDatabase(const QxDbDatabase&) = delete;
    QxDbDatabase& operator=(const QxDbDatabase&) = delete;

    Qxapp::ErrorStatus getSymbolTable(QxDbBlockTable*& table, QxDb::OpenMode mode);
    Qxapp::ErrorStatus getSymbolTable(QxDbLayerTable*& table, QxDb::OpenMode mode);
    Qxapp::ErrorStatus getSymbolTable(QxDbLinetypeTable*& table, QxDb::OpenMode mode);
    Qxapp::ErrorStatus getSymbolTable(QxDbTextStyleTable*& table, QxDb::OpenMode mode);
    Qxapp::ErrorStatus getSymbolTable(QxDbRegAppTable*& table, QxDb::OpenMode mode);
    QxDbObjectId blockTableId() const;
    QxDbObjectId layerTableId() const;
    QxDbObjectId linetypeTableId() const;
    QxDbObjectId textStyleTableId() const;
    QxDbObjectId regAppTableId() const;
    QxDbObjectId modelSpaceId() const;
    QxDbObjectId namedObjectsDictionaryId() const;

    Qxapp::ErrorStatus getTableStyleDictionary(QxDbDictionary*& dictionary, QxDb::OpenMode mode);
    QxDbObjectId tableStyleDictionaryId() const;
    QxDbObjectId tablestyle() const;  // the current table style
    QxDbObjectId textstyle() const;   // the current text style

    // The current user coordinate system, in world coordinates.
    QxGePoint3d ucsorg() const;
    QxGeVector3d ucsxdir() const;
    QxGeVector3d ucsydir() const;
    void setUcs(const QxGePoint3d& origin, const QxGeVector3d& xDir, const QxGeVector3d& yDir);

    // Linear units precision of the drawing (the LUPREC variable).
    int luprec() const;
    void setLuprec(int precision);

    // Objects by handle; the null id when there is none.
    QxDbObjectId getObjectId(QxDbHandle handle) const;
    // The next handle to give out (every handle in use is below it).
    QxDbHandle handseed() const;
    void setHandseed(QxDbHandle seed);

    // Host-side construction, for the file reader: adds an object under a handle (a new one
    // when the handle is null) owned by `owner`. The database owns it from then on; it is
    // not left open. Fails with eDuplicateKey on a handle in use. Only the object table
    // changes: the reader records the object in its container itself (addEntityId,
    // indexRecord, setEntry, addAttributeId).
    Qxapp::ErrorStatus addObject(QxDbObject* object, QxDbHandle handle, QxDbObjectId owner, QxDbObjectId& id);

    // How many objects are open now, and a description of each ("LINE 2A (write)").
    std::size_t openObjectCount() const;
    std::vector<std::u16string> describeOpenObjects() const;

    // The inside, defined by the host; only the host reaches it, through qx::DbInternals.
    struct Impl;

private:
    friend class qx::DbInternals;
    std::unique_ptr<Impl> m_impl;
};

class QxDbHostApplicationServices {
public:
    QxDbDatabase* workingDatabase() const { return m_working; }
    void setWorkingDatabase(QxDbDatabase* database) { m_working = database; }

private:
    QxDbDatabase* m_working = nullptr;
};

QxDbHostApplicationServices* qxdbHostApplicationServices();
