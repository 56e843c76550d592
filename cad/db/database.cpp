#include <algorithm>
#include <mutex>
#include <unordered_set>

#include "cad/db/database_impl.h"
#include "cad/db/intern.h"

namespace {

std::mutex& liveMutex()
{
    static std::mutex m;
    return m;
}
std::unordered_set<const QxDbDatabase*>& liveDatabases()
{
    static auto* set = new std::unordered_set<const QxDbDatabase*>;
    return *set;
}

// Host bookkeeping: finds the first object of a class, for databases built from a file.
template <class T>
QxDbObjectId findByClass(const StubList& stubs, QxDbObjectId owner = {}, bool ownerMatters = false)
{
    for (const QxDbStub& s : stubs) {
        if (!s.erased && s.object && T::cast(s.object) && (!ownerMatters || s.object->ownerId() == owner))
            return QxDbObjectId(const_cast<QxDbStub*>(&s));
    }
    return {};
}

}  // namespace

QxDbDatabase::Impl::Impl(QxDbDatabase* owner) : self(owner), stubs(owner)
{
    std::lock_guard lock(liveMutex());
    liveDatabases().insert(owner);
}

QxDbDatabase::Impl::~Impl()
{
    {
        std::lock_guard lock(liveMutex());
        liveDatabases().erase(self);
    }
    for (QxDbStub& s : stubs) {
        delete s.object;
        s.object = nullptr;
    }
}

bool QxDbDatabase::Impl::isLive(const QxDbDatabase* database)
{
    std::lock_guard lock(liveMutex());
    return liveDatabases().count(database) != 0;
}

QxDbStub* QxDbDatabase::Impl::find(std::uint64_t handle) const
{
    if (handle < denseHandles.size()) return denseHandles[handle];
    auto it = sparseHandles.find(handle);
    return it == sparseHandles.end() ? nullptr : it->second;
}

std::uint64_t QxDbDatabase::Impl::allocateHandle()
{
    while (find(handseed)) ++handseed;
    return handseed++;
}

void QxDbDatabase::Impl::moveToFreeHandle(QxDbStub* stub)
{
    const std::uint64_t old = stub->handle;
    if (old < denseHandles.size()) {
        if (denseHandles[old] == stub) denseHandles[old] = nullptr;
    } else if (auto it = sparseHandles.find(old); it != sparseHandles.end() && it->second == stub) {
        sparseHandles.erase(it);
    }
    stub->handle = allocateHandle();
    indexHandle(stub->handle, stub);
}

void QxDbDatabase::Impl::indexHandle(std::uint64_t handle, QxDbStub* stub)
{
    highestHandle = std::max(highestHandle, handle);
    // The dense part may grow to a few times the number of objects; beyond that a handle
    // would cost more room than it is worth.
    const std::uint64_t limit = std::max<std::uint64_t>(1 << 16, 4 * (stubs.size() + 1));
    if (handle < denseHandles.size()) {
        denseHandles[handle] = stub;
    } else if (handle < limit) {
        denseHandles.resize(std::max<std::size_t>(handle + 1, denseHandles.size() * 3 / 2), nullptr);
        denseHandles[handle] = stub;
        // Handles of the map that the vector now covers move into it.
        for (auto it = sparseHandles.begin(); it != sparseHandles.end();) {
            if (it->first < denseHandles.size()) {
                denseHandles[it->first] = it->second;
                it = sparseHandles.erase(it);
            } else {
                ++it;
            }
        }
    } else {
        sparseHandles.emplace(handle, stub);
    }
}

Qxapp::ErrorStatus QxDbDatabase::Impl::add(QxDbObject* object, std::uint64_t handle, QxDbObjectId owner,
                                           QxDbObjectId& id)
{
    id = QxDbObjectId::kNull;
    if (!object) return Qxapp::eInvalidInput;
    if (!object->isNewObject()) return Qxapp::eAlreadyInDb;
    if (handle == 0) {
        while (find(handseed)) ++handseed;  // a reader may have set a low seed
        handle = handseed;
    } else if (find(handle)) {
        return Qxapp::eDuplicateKey;
    }
    if (handle >= handseed) handseed = handle + 1;
    QxDbStub& stub = stubs.emplace_back();
    stub.object = object;
    stub.handle = handle;
    indexHandle(handle, &stub);
    qx::DbInternals::attachStub(*object, &stub);
    object->setOwnerId(owner);
    id = QxDbObjectId(&stub);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbDatabase::Impl::open(QxDbStub* stub, QxDb::OpenMode mode, bool openErased)
{
    if (!stub) return Qxapp::eNullObjectId;
    if (!stub->object) return Qxapp::eWasErased;
    if (stub->erased && !openErased) return Qxapp::eWasErased;
    if (stub->writer) return Qxapp::eWasOpenForWrite;
    if (mode == QxDb::kForWrite) {
        if (stub->readers) return Qxapp::eWasOpenForRead;
        stub->writer = true;
        stub->written = ++revision;
        ++openCount;
        return Qxapp::eOk;
    }
    if (stub->readers == UINT32_MAX) return Qxapp::eAtMaxReaders;
    if (stub->readers++ == 0) ++openCount;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbDatabase::Impl::close(QxDbStub* stub)
{
    if (stub->writer) {
        stub->writer = false;
        --openCount;
        return Qxapp::eOk;
    }
    if (stub->readers == 0) return Qxapp::eWasNotOpen;
    if (--stub->readers == 0) --openCount;
    return Qxapp::eOk;
}

void QxDbDatabase::Impl::openNewForWrite(QxDbStub* stub)
{
    stub->writer = true;
    stub->written = ++revision;
    ++openCount;
}

namespace {

// Adds a record to a symbol table without the open discipline (the database is building
// itself).
QxDbObjectId addDefaultRecord(QxDbDatabase::Impl& impl, QxDbObjectId tableId, QxDbSymbolTableRecord* record,
                              const char16_t* name)
{
    auto* table = QxDbSymbolTable::cast(qx::peekObject(tableId));
    QxDbObjectId id;
    if (table->getAt(name, id, true) == Qxapp::eOk) {
        delete record;
        return id;
    }
    record->setName(name);
    impl.add(record, 0, tableId, id);
    table->indexRecord(name, id);
    return id;
}

template <class Table>
void ensureTable(QxDbDatabase::Impl& impl, QxDbObjectId& tableId)
{
    if (!tableId.isNull()) return;
    tableId = findByClass<Table>(impl.stubs);
    if (tableId.isNull()) impl.add(new Table, 0, {}, tableId);
}

}  // namespace

void QxDbDatabase::Impl::ensureDefaults()
{
    ensureTable<QxDbBlockTable>(*this, blockTable);
    ensureTable<QxDbLayerTable>(*this, layerTable);
    ensureTable<QxDbLinetypeTable>(*this, linetypeTable);
    ensureTable<QxDbTextStyleTable>(*this, textStyleTable);
    ensureTable<QxDbRegAppTable>(*this, regAppTable);

    modelSpace = addDefaultRecord(*this, blockTable, new QxDbBlockTableRecord, QXDB_MODEL_SPACE);
    paperSpace = addDefaultRecord(*this, blockTable, new QxDbBlockTableRecord, QXDB_PAPER_SPACE);
    addDefaultRecord(*this, layerTable, new QxDbLayerTableRecord, u"0");
    addDefaultRecord(*this, linetypeTable, new QxDbLinetypeTableRecord, u"ByBlock");
    addDefaultRecord(*this, linetypeTable, new QxDbLinetypeTableRecord, u"ByLayer");
    addDefaultRecord(*this, linetypeTable, new QxDbLinetypeTableRecord, u"Continuous");
    if (currentTextStyle.isNull()) {
        auto* standard = new QxDbTextStyleTableRecord;
        standard->setFileName(u"arial.ttf");
        currentTextStyle = addDefaultRecord(*this, textStyleTable, standard, u"Standard");
    }
    addDefaultRecord(*this, regAppTable, new QxDbRegAppTableRecord, u"ACAD");

    if (namedObjects.isNull()) namedObjects = findByClass<QxDbDictionary>(stubs, {}, true);
    if (namedObjects.isNull()) add(new QxDbDictionary, 0, {}, namedObjects);
    auto* root = QxDbDictionary::cast(qx::peekObject(namedObjects));
    if (tableStyleDictionary.isNull() && root->getAt(u"ACAD_TABLESTYLE", tableStyleDictionary) != Qxapp::eOk) {
        add(new QxDbDictionary, 0, namedObjects, tableStyleDictionary);
        root->setEntry(u"ACAD_TABLESTYLE", tableStyleDictionary);
    }
    auto* styles = QxDbDictionary::cast(qx::peekObject(tableStyleDictionary));
    QxDbObjectId standardStyle;
    if (styles && styles->getAt(u"Standard", standardStyle) != Qxapp::eOk) {
        // Metric defaults: margins 1.5, title 6.0, header and data 4.5.
        auto* style = new QxDbTableStyle;
        style->setTextStyle(currentTextStyle);
        add(style, 0, tableStyleDictionary, standardStyle);
        styles->setEntry(u"Standard", standardStyle);
    }
    if (currentTableStyle.isNull()) currentTableStyle = standardStyle;
}

QxDbDatabase::QxDbDatabase(bool withDefaults) : m_impl(std::make_unique<Impl>(this))
{
    if (withDefaults) m_impl->ensureDefaults();
}

QxDbDatabase::~QxDbDatabase()
{
    auto* services = qxdbHostApplicationServices();
    if (services->workingDatabase() == this) services->setWorkingDatabase(nullptr);
}

namespace {
template <class T>
Qxapp::ErrorStatus openTable(QxDbObjectId id, T*& table, QxDb::OpenMode mode)
{
    return qxdbOpenObject(table, id, mode);
}
}  // namespace

Qxapp::ErrorStatus QxDbDatabase::getSymbolTable(QxDbBlockTable*& t, QxDb::OpenMode m) { return openTable(m_impl->blockTable, t, m); }
Qxapp::ErrorStatus QxDbDatabase::getSymbolTable(QxDbLayerTable*& t, QxDb::OpenMode m) { return openTable(m_impl->layerTable, t, m); }
Qxapp::ErrorStatus QxDbDatabase::getSymbolTable(QxDbLinetypeTable*& t, QxDb::OpenMode m) { return openTable(m_impl->linetypeTable, t, m); }
Qxapp::ErrorStatus QxDbDatabase::getSymbolTable(QxDbTextStyleTable*& t, QxDb::OpenMode m) { return openTable(m_impl->textStyleTable, t, m); }
Qxapp::ErrorStatus QxDbDatabase::getSymbolTable(QxDbRegAppTable*& t, QxDb::OpenMode m) { return openTable(m_impl->regAppTable, t, m); }

QxDbObjectId QxDbDatabase::blockTableId() const { return m_impl->blockTable; }
QxDbObjectId QxDbDatabase::layerTableId() const { return m_impl->layerTable; }
QxDbObjectId QxDbDatabase::linetypeTableId() const { return m_impl->linetypeTable; }
QxDbObjectId QxDbDatabase::textStyleTableId() const { return m_impl->textStyleTable; }
QxDbObjectId QxDbDatabase::regAppTableId() const { return m_impl->regAppTable; }
QxDbObjectId QxDbDatabase::modelSpaceId() const { return m_impl->modelSpace; }
QxDbObjectId QxDbDatabase::namedObjectsDictionaryId() const { return m_impl->namedObjects; }

Qxapp::ErrorStatus QxDbDatabase::getTableStyleDictionary(QxDbDictionary*& dictionary, QxDb::OpenMode mode)
{
    return qxdbOpenObject(dictionary, m_impl->tableStyleDictionary, mode);
}
QxDbObjectId QxDbDatabase::tableStyleDictionaryId() const { return m_impl->tableStyleDictionary; }
QxDbObjectId QxDbDatabase::tablestyle() const { return m_impl->currentTableStyle; }
QxDbObjectId QxDbDatabase::textstyle() const { return m_impl->currentTextStyle; }

QxGePoint3d QxDbDatabase::ucsorg() const { return m_impl->ucsOrigin; }
QxGeVector3d QxDbDatabase::ucsxdir() const { return m_impl->ucsXDir; }
QxGeVector3d QxDbDatabase::ucsydir() const { return m_impl->ucsYDir; }
void QxDbDatabase::setUcs(const QxGePoint3d& origin, const QxGeVector3d& xDir, const QxGeVector3d& yDir)
{
    m_impl->ucsOrigin = origin;
    m_impl->ucsXDir = xDir.normal();
    m_impl->ucsYDir = yDir.normal();
}

int QxDbDatabase::luprec() const { return m_impl->luprec; }
void QxDbDatabase::setLuprec(int precision) { m_impl->luprec = std::clamp(precision, 0, 8); }

QxDbObjectId QxDbDatabase::getObjectId(QxDbHandle handle) const
{
    return QxDbObjectId(m_impl->find(handle.value()));
}
QxDbHandle QxDbDatabase::handseed() const { return QxDbHandle(m_impl->handseed); }
void QxDbDatabase::setHandseed(QxDbHandle seed)
{
    // Handles are never reused: the seed only moves past every handle in use.
    m_impl->handseed = std::max(seed.value(), m_impl->highestHandle + 1);
}

Qxapp::ErrorStatus QxDbDatabase::addObject(QxDbObject* object, QxDbHandle handle, QxDbObjectId owner, QxDbObjectId& id)
{
    return m_impl->add(object, handle.value(), owner, id);
}

std::size_t QxDbDatabase::openObjectCount() const { return m_impl->openCount; }

std::vector<std::u16string> QxDbDatabase::describeOpenObjects() const
{
    std::vector<std::u16string> out;
    if (m_impl->openCount == 0) return out;
    for (const QxDbStub& s : m_impl->stubs) {
        if (!s.isOpen()) continue;
        std::u16string text = s.object ? s.object->dxfTypeName() : u"?";
        if (text.empty() && s.object) text = s.object->isA()->name();
        text += u' ';
        text += QxDbHandle(s.handle).ascii();
        text += s.writer ? u" (write)" : u" (read)";
        out.push_back(std::move(text));
    }
    return out;
}
