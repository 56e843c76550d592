#include <algorithm>

#include "cad/db/database_impl.h"
#include "cad/db/intern.h"
#include "host/dbentities.h"
#include "host/dbsymbols.h"

QX_RX_DEFINE_CLASS(QxDbSymbolTableRecord, QxDbObject, "")
QX_RX_DEFINE_CLASS(QxDbBlockTableRecord, QxDbSymbolTableRecord, "BLOCK_RECORD")
QX_RX_DEFINE_CLASS(QxDbLayerTableRecord, QxDbSymbolTableRecord, "LAYER")
QX_RX_DEFINE_CLASS(QxDbLinetypeTableRecord, QxDbSymbolTableRecord, "LTYPE")
QX_RX_DEFINE_CLASS(QxDbRegAppTableRecord, QxDbSymbolTableRecord, "APPID")
QX_RX_DEFINE_CLASS(QxDbTextStyleTableRecord, QxDbSymbolTableRecord, "STYLE")
QX_RX_DEFINE_CLASS(QxDbSymbolTable, QxDbObject, "TABLE")
QX_RX_DEFINE_CLASS(QxDbBlockTable, QxDbSymbolTable, "TABLE")
QX_RX_DEFINE_CLASS(QxDbLayerTable, QxDbSymbolTable, "TABLE")
QX_RX_DEFINE_CLASS(QxDbLinetypeTable, QxDbSymbolTable, "TABLE")
QX_RX_DEFINE_CLASS(QxDbTextStyleTable, QxDbSymbolTable, "TABLE")
QX_RX_DEFINE_CLASS(QxDbRegAppTable, QxDbSymbolTable, "TABLE")
QX_RX_DEFINE_CLASS(QxDbDictionary, QxDbObject, "DICTIONARY")

// Records -------------------------------------------------------------------------------

Qxapp::ErrorStatus QxDbSymbolTableRecord::getName(std::u16string& name) const
{
    name = m_name;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbSymbolTableRecord::setName(const char16_t* name)
{
    if (!isWriteEnabled()) return Qxapp::eNotOpenForWrite;
    if (!name || !*name) return Qxapp::eInvalidInput;
    // A record in a table keeps the table's name index right.
    if (auto* table = QxDbSymbolTable::cast(qx::peekObject(ownerId())); table && !isNewObject()) {
        QxDbObjectId existing;
        if (table->getAt(name, existing, true) == Qxapp::eOk && existing != objectId()) return Qxapp::eDuplicateKey;
        table->unindexRecord(m_name);
        m_name = name;
        table->indexRecord(m_name, objectId());
        return Qxapp::eOk;
    }
    m_name = name;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbBlockTableRecord::appendQxDbEntity(QxDbEntity* entity)
{
    QxDbObjectId id;
    return appendQxDbEntity(id, entity);
}

Qxapp::ErrorStatus QxDbBlockTableRecord::appendQxDbEntity(QxDbObjectId& id, QxDbEntity* entity)
{
    id = QxDbObjectId::kNull;
    if (!entity) return Qxapp::eInvalidInput;
    if (isNewObject()) return Qxapp::eNotInDatabase;
    if (!isWriteEnabled()) return Qxapp::eNotOpenForWrite;
    if (!entity->isNewObject()) return Qxapp::eAlreadyInDb;
    auto& impl = qx::DbInternals::impl(*database());
    const Qxapp::ErrorStatus es = impl.add(entity, 0, objectId(), id);
    if (es != Qxapp::eOk) return es;
    m_entities.push_back(id);
    impl.openNewForWrite(qx::DbInternals::stub(id));
    return Qxapp::eOk;
}

QxDbObjectIterator* QxDbBlockTableRecord::newIterator() const { return new QxDbObjectIterator(m_entities); }

bool QxDbBlockTableRecord::isAnonymous() const { return !name().empty() && name()[0] == u'*' && !isLayout(); }

bool QxDbBlockTableRecord::isLayout() const
{
    return qx::equalsIgnoringCase(name(), QXDB_MODEL_SPACE) ||
           qx::foldName(name()).rfind(qx::foldName(QXDB_PAPER_SPACE), 0) == 0;
}

// Tables --------------------------------------------------------------------------------

Qxapp::ErrorStatus QxDbSymbolTable::getAt(const char16_t* name, QxDbObjectId& id, bool getErased) const
{
    id = QxDbObjectId::kNull;
    if (!name) return Qxapp::eInvalidInput;
    auto it = m_byFoldedName.find(qx::foldName(name));
    if (it == m_byFoldedName.end()) return Qxapp::eKeyNotFound;
    if (it->second.isErased() && !getErased) return Qxapp::eKeyNotFound;
    id = it->second;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbSymbolTable::getAt(const char16_t* name, QxDbSymbolTableRecord*& record, QxDb::OpenMode mode,
                                          bool openErased) const
{
    record = nullptr;
    QxDbObjectId id;
    const Qxapp::ErrorStatus es = getAt(name, id, openErased);
    if (es != Qxapp::eOk) return es;
    return qxdbOpenObject(record, id, mode, openErased);
}

bool QxDbSymbolTable::has(const char16_t* name) const
{
    QxDbObjectId id;
    return getAt(name, id) == Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbSymbolTable::add(QxDbSymbolTableRecord* record)
{
    QxDbObjectId id;
    return add(id, record);
}

Qxapp::ErrorStatus QxDbSymbolTable::add(QxDbObjectId& id, QxDbSymbolTableRecord* record)
{
    id = QxDbObjectId::kNull;
    if (!record || record->name().empty()) return Qxapp::eInvalidInput;
    if (isNewObject()) return Qxapp::eNotInDatabase;
    if (!isWriteEnabled()) return Qxapp::eNotOpenForWrite;
    if (!record->isNewObject()) return Qxapp::eAlreadyInDb;
    QxDbObjectId existing;
    if (getAt(record->name().c_str(), existing, true) == Qxapp::eOk) return Qxapp::eDuplicateKey;
    auto& impl = qx::DbInternals::impl(*database());
    const Qxapp::ErrorStatus es = impl.add(record, 0, objectId(), id);
    if (es != Qxapp::eOk) return es;
    indexRecord(record->name(), id);
    impl.openNewForWrite(qx::DbInternals::stub(id));
    return Qxapp::eOk;
}

void QxDbSymbolTable::indexRecord(const std::u16string& name, QxDbObjectId id)
{
    m_byFoldedName[qx::foldName(name)] = id;
    // A renamed record is indexed again under its new name but stays one record; a file with
    // thousands of blocks must not pay a search per record.
    if (m_recordSet.insert(id).second) m_records.push_back(id);
}

void QxDbSymbolTable::unindexRecord(const std::u16string& name) { m_byFoldedName.erase(qx::foldName(name)); }

Qxapp::ErrorStatus QxDbBlockTable::getAt(const char16_t* name, QxDbBlockTableRecord*& record, QxDb::OpenMode mode,
                                         bool openErased) const
{
    record = nullptr;
    QxDbObjectId id;
    const Qxapp::ErrorStatus es = QxDbSymbolTable::getAt(name, id, openErased);
    if (es != Qxapp::eOk) return es;
    return qxdbOpenObject(record, id, mode, openErased);
}

// Dictionaries --------------------------------------------------------------------------

Qxapp::ErrorStatus QxDbDictionary::getAt(const char16_t* name, QxDbObjectId& id) const
{
    id = QxDbObjectId::kNull;
    if (!name) return Qxapp::eInvalidInput;
    auto it = m_entries.find(name);
    if (it == m_entries.end() || it->second.isErased()) return Qxapp::eKeyNotFound;
    id = it->second;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbDictionary::getAt(const char16_t* name, QxDbObject*& object, QxDb::OpenMode mode) const
{
    object = nullptr;
    QxDbObjectId id;
    const Qxapp::ErrorStatus es = getAt(name, id);
    if (es != Qxapp::eOk) return es;
    return qxdbOpenObject(object, id, mode);
}

Qxapp::ErrorStatus QxDbDictionary::nameAt(QxDbObjectId id, std::u16string& name) const
{
    for (const auto& [key, value] : m_entries) {
        if (value == id) {
            name = key;
            return Qxapp::eOk;
        }
    }
    return Qxapp::eKeyNotFound;
}

Qxapp::ErrorStatus QxDbDictionary::setAt(const char16_t* name, QxDbObject* object, QxDbObjectId& id)
{
    id = QxDbObjectId::kNull;
    if (!name || !*name || !object) return Qxapp::eInvalidInput;
    if (isNewObject()) return Qxapp::eNotInDatabase;
    if (!isWriteEnabled()) return Qxapp::eNotOpenForWrite;
    if (!object->isNewObject()) {
        if (object->database() != database()) return Qxapp::eInvalidInput;
        id = object->objectId();
    } else {
        auto& impl = qx::DbInternals::impl(*database());
        const Qxapp::ErrorStatus es = impl.add(object, 0, objectId(), id);
        if (es != Qxapp::eOk) return es;
        impl.openNewForWrite(qx::DbInternals::stub(id));
    }
    // The object stored before under that name is no longer reachable: it goes.
    auto it = m_entries.find(name);
    if (it != m_entries.end() && it->second != id) qx::DbInternals::stub(it->second)->erased = true;
    m_entries[name] = id;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbDictionary::remove(const char16_t* name)
{
    if (!name) return Qxapp::eInvalidInput;
    if (!isWriteEnabled()) return Qxapp::eNotOpenForWrite;
    return m_entries.erase(name) ? Qxapp::eOk : Qxapp::eKeyNotFound;
}
