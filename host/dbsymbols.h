// Symbol tables (blocks, layers, linetypes, text styles, registered applications) and
// dictionaries.
#pragma once

#include <map>
#include <unordered_set>
#include <string>
#include <vector>

#include "dbentities.h"
#include "dbobject.h"
#include "geometry.h"

class QxDbSymbolTableRecord : public QxDbObject {
    QX_RX_DECLARE_MEMBERS(QxDbSymbolTableRecord)
public:
    Qxapp::ErrorStatus getName(std::u16string& name) const;
    const std::u16string& name() const { return m_name; }
    Qxapp::ErrorStatus setName(const char16_t* name);

private:
    std::u16string m_name;
};

class QxDbBlockTableRecord : public QxDbSymbolTableRecord {
    QX_RX_DECLARE_MEMBERS(QxDbBlockTableRecord)
public:
    // Appends an entity to the block: the block takes ownership, the entity gets an id and a
    // handle and comes back open for write (close it). Needs the block open for write.
    Qxapp::ErrorStatus appendQxDbEntity(QxDbEntity* entity);
    Qxapp::ErrorStatus appendQxDbEntity(QxDbObjectId& id, QxDbEntity* entity);
    // The block's entities in drawing order, erased ones included.
    const std::vector<QxDbObjectId>& entityIds() const { return m_entities; }
    QxDbObjectIterator* newIterator() const;

    bool isAnonymous() const;  // the name begins with "*"
    bool isLayout() const;     // model space or a paper space
    QxGePoint3d origin() const { return m_origin; }
    void setOrigin(const QxGePoint3d& origin) { m_origin = origin; }

    // Dynamic blocks: a definition made dynamic carries the flag; an anonymous block that
    // represents a changed reference of a dynamic block leads to that definition.
    bool isDynamicDefinition() const { return m_dynamicDefinition; }
    void setDynamicDefinition(bool dynamic) { m_dynamicDefinition = dynamic; }
    QxDbObjectId dynamicBlockDefinition() const { return m_representedDefinition; }
    void setDynamicBlockDefinition(QxDbObjectId definition) { m_representedDefinition = definition; }

    // Host bookkeeping, used when the database inserts or removes entities.
    void addEntityId(QxDbObjectId id) { m_entities.push_back(id); }

private:
    std::vector<QxDbObjectId> m_entities;
    QxGePoint3d m_origin;
    bool m_dynamicDefinition = false;
    QxDbObjectId m_representedDefinition;
};

class QxDbLayerTableRecord : public QxDbSymbolTableRecord {
    QX_RX_DECLARE_MEMBERS(QxDbLayerTableRecord)
};

class QxDbLinetypeTableRecord : public QxDbSymbolTableRecord {
    QX_RX_DECLARE_MEMBERS(QxDbLinetypeTableRecord)
};

class QxDbRegAppTableRecord : public QxDbSymbolTableRecord {
    QX_RX_DECLARE_MEMBERS(QxDbRegAppTableRecord)
};

class QxDbTextStyleTableRecord : public QxDbSymbolTableRecord {
    QX_RX_DECLARE_MEMBERS(QxDbTextStyleTableRecord)
public:
    double textSize() const { return m_textSize; }  // 0: the height is given per text
    void setTextSize(double size) { m_textSize = size; }
    double xScale() const { return m_xScale; }
    void setXScale(double scale) { m_xScale = scale; }
    const std::u16string& fileName() const { return m_fileName; }  // font file, e.g. "arial.ttf"
    void setFileName(std::u16string name) { m_fileName = std::move(name); }

private:
    double m_textSize = 0, m_xScale = 1;
    std::u16string m_fileName;
};

// A symbol table: records by name, names compared ignoring letter case as CAD users expect.
class QxDbSymbolTable : public QxDbObject {
    QX_RX_DECLARE_MEMBERS(QxDbSymbolTable)
public:
    Qxapp::ErrorStatus getAt(const char16_t* name, QxDbObjectId& id, bool getErased = false) const;
    Qxapp::ErrorStatus getAt(const char16_t* name, QxDbSymbolTableRecord*& record, QxDb::OpenMode mode,
                             bool openErased = false) const;
    bool has(const char16_t* name) const;
    // Adds a record (the table takes ownership; it comes back open for write). Needs the table
    // open for write; eDuplicateKey when the name is taken.
    Qxapp::ErrorStatus add(QxDbObjectId& id, QxDbSymbolTableRecord* record);
    Qxapp::ErrorStatus add(QxDbSymbolTableRecord* record);
    const std::vector<QxDbObjectId>& recordIds() const { return m_records; }

    // Host bookkeeping: keeps the name index in step with the records.
    void indexRecord(const std::u16string& name, QxDbObjectId id);
    void unindexRecord(const std::u16string& name);

private:
    std::vector<QxDbObjectId> m_records;
    std::unordered_set<QxDbObjectId> m_recordSet;  // m_records, for a constant-time "already in"
    std::map<std::u16string, QxDbObjectId> m_byFoldedName;
};

class QxDbBlockTable : public QxDbSymbolTable {
    QX_RX_DECLARE_MEMBERS(QxDbBlockTable)
public:
    Qxapp::ErrorStatus getAt(const char16_t* name, QxDbBlockTableRecord*& record, QxDb::OpenMode mode,
                             bool openErased = false) const;
    using QxDbSymbolTable::getAt;
};
class QxDbLayerTable : public QxDbSymbolTable {
    QX_RX_DECLARE_MEMBERS(QxDbLayerTable)
};
class QxDbLinetypeTable : public QxDbSymbolTable {
    QX_RX_DECLARE_MEMBERS(QxDbLinetypeTable)
};
class QxDbTextStyleTable : public QxDbSymbolTable {
    QX_RX_DECLARE_MEMBERS(QxDbTextStyleTable)
};
class QxDbRegAppTable : public QxDbSymbolTable {
    QX_RX_DECLARE_MEMBERS(QxDbRegAppTable)
};

inline constexpr const char16_t* QXDB_MODEL_SPACE = u"*Model_Space";
inline constexpr const char16_t* QXDB_PAPER_SPACE = u"*Paper_Space";

// A dictionary of objects by name (names compared exactly).
class QxDbDictionary : public QxDbObject {
    QX_RX_DECLARE_MEMBERS(QxDbDictionary)
public:
    Qxapp::ErrorStatus getAt(const char16_t* name, QxDbObjectId& id) const;
    Qxapp::ErrorStatus getAt(const char16_t* name, QxDbObject*& object, QxDb::OpenMode mode) const;
    Qxapp::ErrorStatus nameAt(QxDbObjectId id, std::u16string& name) const;
    // Stores the object under the name (the dictionary owns it from then on; it comes back
    // open for write when it was new). Needs the dictionary open for write.
    Qxapp::ErrorStatus setAt(const char16_t* name, QxDbObject* object, QxDbObjectId& id);
    bool has(const char16_t* name) const { return m_entries.count(name) != 0; }
    std::uint32_t numEntries() const { return static_cast<std::uint32_t>(m_entries.size()); }
    const std::map<std::u16string, QxDbObjectId>& entries() const { return m_entries; }
    Qxapp::ErrorStatus remove(const char16_t* name);

    // Host bookkeeping, for the file reader.
    void setEntry(const std::u16string& name, QxDbObjectId id) { m_entries[name] = id; }

private:
    std::map<std::u16string, QxDbObjectId> m_entries;
};
