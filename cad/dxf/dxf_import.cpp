// Reading a drawing file into a database.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "cad/db/database_impl.h"
#include "cad/db/xdata.h"
#include "cad/dxf/dxf_drawing.h"
#include "cad/dxf/dxf_dynamic_blocks.h"
#include "cad/dxf/dxf_entities.h"
#include "cad/dxf/dxf_names.h"
#include "cad/dxf/dxf_record.h"
#include "dbtable.h"

namespace qx::dxf {

namespace {

qxresbuf* toResbufChain(const XData& xdata)
{
    qxresbuf* head = nullptr;
    qxresbuf** tail = &head;
    for (const XValue& v : xdata) {
        qxresbuf* rb = qxutNewRb(v.code);
        switch (qxutRbKind(v.code)) {
        case QxRbKind::String: rb->resval.rstring = qxutNewString(v.text.c_str()); break;
        case QxRbKind::Point: std::memcpy(rb->resval.rpoint, v.point, sizeof v.point); break;
        case QxRbKind::Real: rb->resval.rreal = v.point[0]; break;
        case QxRbKind::Short: rb->resval.rint = static_cast<short>(v.integer); break;
        case QxRbKind::Long: rb->resval.rlong = static_cast<std::int32_t>(v.integer); break;
        case QxRbKind::Binary: {
            // Hex digits, two per byte; the runtime frees the bytes with delete[]. A digit that is
            // not one counts as 0 rather than failing the whole drawing.
            auto digit = [](char16_t c) -> unsigned {
                if (c >= u'0' && c <= u'9') return c - u'0';
                if (c >= u'a' && c <= u'f') return c - u'a' + 10;
                if (c >= u'A' && c <= u'F') return c - u'A' + 10;
                return 0;
            };
            const std::size_t length = v.text.size() / 2;
            rb->resval.rbinary.clen = static_cast<std::int32_t>(length);
            rb->resval.rbinary.buf = new unsigned char[length + 1];
            for (std::size_t k = 0; k < length; ++k)
                rb->resval.rbinary.buf[k] = static_cast<unsigned char>(digit(v.text[2 * k]) << 4 | digit(v.text[2 * k + 1]));
            break;
        }
        default: break;
        }
        *tail = rb;
        tail = &rb->rbnext;
    }
    return head;
}

class Importer {
public:
    Importer(std::unique_ptr<DxfFile> file, DxfError& error, const DxfFile::Progress& progress)
        : m_error(error), m_progress(progress), m_database(std::make_shared<QxDbDatabase>(false)), m_impl(qx::DbInternals::impl(*m_database))
    {
        m_source = std::make_unique<DxfSource>();
        m_source->file = std::move(file);
        const std::size_t n = m_source->file->recordCount();
        m_source->stubs.assign(n, nullptr);
        m_source->fieldDigest.assign(n, 0);
    }

    bool run(OpenResult& result)
    {
        const DxfFile& f = file();
        readHeader();
        if (const Section* s = f.section("TABLES"); s && !readTables(*s)) return false;
        ensureTable(m_impl.blockTable, [] { return new QxDbBlockTable; });
        ensureTable(m_impl.layerTable, [] { return new QxDbLayerTable; });
        ensureTable(m_impl.linetypeTable, [] { return new QxDbLinetypeTable; });
        ensureTable(m_impl.textStyleTable, [] { return new QxDbTextStyleTable; });
        ensureTable(m_impl.regAppTable, [] { return new QxDbRegAppTable; });
        linkDynamicDefinitions();
        if (const Section* s = f.section("OBJECTS"); s && !readObjects(*s)) return false;
        if (const Section* s = f.section("BLOCKS"); s && !readEntities(*s, true)) return false;
        if (const Section* s = f.section("ENTITIES"); s && !readEntities(*s, false)) return false;
        readDynamicProperties(f, *m_source, m_inserts);

        // New objects must not take a handle that a record kept only as text still uses.
        std::uint64_t seed = m_fileSeed;
        if (m_highestHandle >= seed) {
            if (seed) result.warnings.push_back("$HANDSEED " + formatHandle(seed) + " was below the handles in use; raised to " +
                                                formatHandle(m_highestHandle + 1));
            seed = m_highestHandle + 1;
        }
        m_impl.handseed = std::max(m_impl.handseed, seed);
        // What was made while reading took handles among the file's; records kept as text
        // (BLOCK, ENDBLK, SEQEND) may carry them too. Above the file's, they are the new
        // objects they are.
        for (QxDbStub* made : m_madeWhileReading)
            if (made->handle <= m_highestHandle) m_impl.moveToFreeHandle(made);
        m_impl.ensureDefaults();
        std::size_t position = 0;
        for (QxDbStub& stub : m_impl.stubs)
            if (!m_source->isStubFromRecord(position++)) m_source->addedDefaults.push_back(&stub);
        for (std::size_t i = 0; i < m_source->stubs.size(); ++i) {
            QxDbStub* stub = m_source->stubs[i];
            if (stub && stub->object && (QxDbSymbolTable::cast(stub->object) || QxDbDictionary::cast(stub->object)))
                m_source->settledDigest.emplace(i, fieldDigest(*stub->object));
        }
        for (const auto& w : f.warnings()) result.warnings.push_back(w);
        result.warnings.insert(result.warnings.end(), m_warnings.begin(), m_warnings.end());
        result.database = m_database;
        m_source->xdataDigests.seal();
        attachSource(*m_database, std::move(m_source));
        return true;
    }

private:
    const DxfFile& file() const { return *m_source->file; }

    void readHeader()
    {
        const DxfFile& f = file();
        for (const Tag& t : f.headerVariable("$LUPREC")) {
            std::int64_t v = 0;
            if (t.code == 70 && t.toInt(v)) m_database->setLuprec(static_cast<int>(v));
        }
        auto point = [&](std::string_view name, double fallback[3]) {
            for (const Tag& t : f.headerVariable(name)) {
                if (t.code == 10 || t.code == 20 || t.code == 30) t.toDouble(fallback[(t.code - 10) / 10]);
            }
        };
        double origin[3] = {0, 0, 0}, xdir[3] = {1, 0, 0}, ydir[3] = {0, 1, 0};
        point("$UCSORG", origin);
        point("$UCSXDIR", xdir);
        point("$UCSYDIR", ydir);
        m_database->setUcs({origin[0], origin[1], origin[2]}, {xdir[0], xdir[1], xdir[2]}, {ydir[0], ydir[1], ydir[2]});
        for (const Tag& t : f.headerVariable("$HANDSEED"))
            if (t.code == 5) t.toHandle(m_fileSeed);
    }

    // Adds an object made from record `i` under the record's handle (a new one when it has
    // none) and remembers the pairing.
    bool add(std::size_t i, QxDbObject* object, QxDbObjectId owner, QxDbObjectId& id)
    {
        return add(i, readRecordHeader(file(), i), object, owner, id);
    }
    bool add(std::size_t i, const RecordHeader& h, QxDbObject* object, QxDbObjectId owner, QxDbObjectId& id)
    {
        XData xdata;
        if (!readXData(file(), i, h, xdata, m_error)) {
            delete object;
            return false;
        }
        if (!xdata.empty()) {
            qxresbuf* chain = toResbufChain(xdata);
            const auto es = object->setXData(chain);
            qxutRelRb(chain);
            if (es != Qxapp::eOk) m_warnings.push_back("line " + std::to_string(file().recordLine(i)) + ": extended data not kept");
        }
        makeRoomForHandle(h.handle);
        const auto es = m_database->addObject(object, QxDbHandle(h.handle), owner, id);
        if (es == Qxapp::eDuplicateKey) {
            // Keep the first; the second is written back as text only.
            delete object;
            m_warnings.push_back("line " + std::to_string(file().recordLine(i)) + ": handle " + formatHandle(h.handle) +
                                 " is used twice; the second record is kept as it is");
            id = QxDbObjectId();
            return true;
        }
        if (es != Qxapp::eOk) {
            delete object;
            m_error = {file().name(), file().recordLine(i), "the record could not be added to the drawing"};
            return false;
        }
        m_highestHandle = std::max(m_highestHandle, qx::DbInternals::stub(id)->handle);
        m_source->stubs[i] = qx::DbInternals::stub(id);
        m_source->markStubFromRecord(m_impl.stubs.size() - 1);  // the database appends each new stub
        return true;
    }

    // A table or block record the file lacks is made while the file is read (a block named
    // before any record of it; an R12 file has no block records at all) and takes the next
    // free handle, which a record further on may carry: the record keeps its handle, and the
    // made object moves to another.
    void makeRoomForHandle(std::uint64_t handle)
    {
        QxDbStub* holder = handle ? m_impl.find(handle) : nullptr;
        if (holder && std::find(m_madeWhileReading.begin(), m_madeWhileReading.end(), holder) != m_madeWhileReading.end())
            m_impl.moveToFreeHandle(holder);
    }

    // Digests are taken once the object is complete (attributes, dictionary entries...).
    void digest(std::size_t i)
    {
        if (QxDbStub* stub = m_source->stubs[i]; stub && stub->object) {
            m_source->fieldDigest[i] = fieldDigest(*stub->object);
            m_source->xdataDigests.add(i, xdataDigest(*stub->object));
        }
    }

    template <class Make>
    void ensureTable(QxDbObjectId& id, Make make)
    {
        if (!id.isNull()) return;
        m_database->addObject(make(), QxDbHandle(), {}, id);
        m_madeWhileReading.push_back(qx::DbInternals::stub(id));
    }

    bool readTables(const Section& section)
    {
        const DxfFile& f = file();
        QxDbObjectId table;
        std::u16string tableName;
        std::vector<std::size_t> tableRecords;
        for (std::size_t i = section.begin + 1; i < section.end; ++i) {
            const std::string_view type = f.recordType(i);
            m_highestHandle = std::max(m_highestHandle, readRecordHeader(f, i).handle);
            if (type == "TABLE") {
                table = QxDbObjectId();
                const std::u16string name = firstText(file(), i, 2);
                tableName = name;
                QxDbObjectId* slot = nullptr;
                QxDbObject* object = nullptr;
                if (name == u"BLOCK_RECORD") slot = &m_impl.blockTable, object = new QxDbBlockTable;
                else if (name == u"LAYER") slot = &m_impl.layerTable, object = new QxDbLayerTable;
                else if (name == u"LTYPE") slot = &m_impl.linetypeTable, object = new QxDbLinetypeTable;
                else if (name == u"STYLE") slot = &m_impl.textStyleTable, object = new QxDbTextStyleTable;
                else if (name == u"APPID") slot = &m_impl.regAppTable, object = new QxDbRegAppTable;
                if (!object || !slot->isNull()) {
                    delete object;
                    continue;
                }
                if (!add(i, object, {}, *slot)) return false;
                table = *slot;
                tableRecords.push_back(i);
                continue;
            }
            if (type == "ENDTAB" || table.isNull()) continue;
            // An entry of another kind in a table stays text: a layer is no block record.
            if (utf8ToUtf16(type) != tableName) continue;
            if (!readTableEntry(i, type, table)) return false;
        }
        for (std::size_t i : tableRecords) digest(i);  // after their entries: the count is part of it
        return true;
    }

    bool readTableEntry(std::size_t i, std::string_view type, QxDbObjectId tableId)
    {
        QxDbSymbolTableRecord* record = nullptr;
        if (type == "BLOCK_RECORD") record = new QxDbBlockTableRecord;
        else if (type == "LAYER") record = new QxDbLayerTableRecord;
        else if (type == "LTYPE") record = new QxDbLinetypeTableRecord;
        else if (type == "APPID") record = new QxDbRegAppTableRecord;
        else if (type == "STYLE") {
            auto* style = new QxDbTextStyleTableRecord;
            TagCursor c = file().tags(i);
            Tag t;
            while (c.next(t)) {
                double v = 0;
                if (t.code == 40 && t.toDouble(v)) style->setTextSize(v);
                else if (t.code == 41 && t.toDouble(v)) style->setXScale(v);
                else if (t.code == 3) style->setFileName(file().decode(t.value));
                else if (t.code == 1001) break;
            }
            record = style;
        } else {
            return true;
        }
        const std::u16string name = firstText(file(), i, 2);
        record->setName(name.c_str());
        auto* table = QxDbSymbolTable::cast(qx::peekObject(tableId));
        if (table->has(name.c_str())) {
            delete record;  // a second record of the same name stays text only
            m_warnings.push_back("line " + std::to_string(file().recordLine(i)) + ": a second " + std::string(type) + " named \"" +
                                 utf16ToUtf8(name) + "\" is kept as it is");
            return true;
        }
        QxDbObjectId id;
        if (!add(i, record, tableId, id)) return false;
        if (id.isNull()) return true;
        table->indexRecord(name, id);
        if (type == "BLOCK_RECORD") {
            if (equalsIgnoringCase(name, QXDB_MODEL_SPACE)) m_impl.modelSpace = id;
            else if (equalsIgnoringCase(name, QXDB_PAPER_SPACE)) m_impl.paperSpace = id;
            m_blockRecords.push_back(i);
        }
        if (type == "STYLE" && equalsIgnoringCase(name, u"Standard")) m_impl.currentTextStyle = id;
        digest(i);
        return true;
    }

    // Dynamic definitions are marked by a GUID in their extended data; the anonymous block of a
    // changed reference leads to its definition through "AcDbBlockRepBTag".
    void linkDynamicDefinitions()
    {
        for (std::size_t i : m_blockRecords) {
            QxDbStub* stub = m_source->stubs[i];
            auto* record = stub ? QxDbBlockTableRecord::cast(stub->object) : nullptr;
            if (!record || !qx::DbInternals::xdataStore(*record)) continue;
            const QxDbXData& x = *qx::DbInternals::xdataStore(*record);
            if (x.has(u"AcDbDynamicBlockGUID")) record->setDynamicDefinition(true);
            for (const QxDbXData::Value& value : x.values(u"AcDbBlockRepBTag")) {
                if (value.code != 1005) continue;
                Tag t;
                const std::string hex = utf16ToUtf8(value.text);
                t.value = hex;
                std::uint64_t h = 0;
                if (t.toHandle(h))
                    if (QxDbStub* definition = m_impl.find(h)) record->setDynamicBlockDefinition(QxDbObjectId(definition));
            }
            digest(i);
        }
    }

    // The dictionaries the host uses: the root and the table styles under ACAD_TABLESTYLE.
    bool readObjects(const Section& section)
    {
        const DxfFile& f = file();
        std::unordered_map<std::uint64_t, std::size_t> byHandle;
        std::size_t root = section.end;
        for (std::size_t i = section.begin + 1; i < section.end; ++i) {
            const RecordHeader h = readRecordHeader(f, i);
            m_highestHandle = std::max(m_highestHandle, h.handle);
            if (h.handle) byHandle.emplace(h.handle, i);
            if (root == section.end && f.recordType(i) == "DICTIONARY") root = i;
        }
        if (root == section.end) return true;
        if (!add(root, new QxDbDictionary, {}, m_impl.namedObjects)) return false;
        if (m_impl.namedObjects.isNull()) return true;
        auto entries = dictionaryEntries(root);
        for (const auto& [name, handle] : entries) {
            if (name != u"ACAD_PLOTSTYLENAME") continue;
            if (const auto it = byHandle.find(handle); it != byHandle.end())
                for (const auto& [styleName, styleHandle] : dictionaryEntries(it->second)) m_plotStyles.emplace(styleHandle, styleName);
        }
        for (const auto& [name, handle] : entries) {
            if (name != u"ACAD_TABLESTYLE") continue;
            const auto it = byHandle.find(handle);
            if (it == byHandle.end() || f.recordType(it->second) != "DICTIONARY") continue;
            const std::size_t styles = it->second;
            if (!add(styles, new QxDbDictionary, m_impl.namedObjects, m_impl.tableStyleDictionary)) return false;
            if (m_impl.tableStyleDictionary.isNull()) continue;
            QxDbDictionary::cast(qx::peekObject(m_impl.namedObjects))->setEntry(name, m_impl.tableStyleDictionary);
            auto* styleDictionary = QxDbDictionary::cast(qx::peekObject(m_impl.tableStyleDictionary));
            for (const auto& [styleName, styleHandle] : dictionaryEntries(styles)) {
                const auto s = byHandle.find(styleHandle);
                if (s == byHandle.end() || f.recordType(s->second) != "TABLESTYLE") continue;
                QxDbObjectId id;
                if (!add(s->second, readTableStyle(s->second), m_impl.tableStyleDictionary, id)) return false;
                if (id.isNull()) continue;
                styleDictionary->setEntry(styleName, id);
                if (styleName == u"Standard" || m_impl.currentTableStyle.isNull()) m_impl.currentTableStyle = id;
                digest(s->second);
            }
            digest(styles);
        }
        digest(root);
        return true;
    }

    std::vector<std::pair<std::u16string, std::uint64_t>> dictionaryEntries(std::size_t i) const
    {
        std::vector<std::pair<std::u16string, std::uint64_t>> entries;
        TagCursor c = file().tags(i);
        Tag t;
        std::u16string name;
        bool afterMarker = false;
        while (c.next(t)) {
            if (t.code == 100 && t.value == "AcDbDictionary") afterMarker = true;
            if (!afterMarker && file().versionNumber() >= 1012) continue;
            if (t.code == 3) name = file().decode(t.value);
            else if ((t.code == 350 || t.code == 360) && !name.empty()) {
                std::uint64_t h = 0;
                if (t.toHandle(h)) entries.emplace_back(name, h);
                name.clear();
            } else if (t.code == 1001) {
                break;
            }
        }
        return entries;
    }

    QxDbTableStyle* readTableStyle(std::size_t i)
    {
        auto* style = new QxDbTableStyle;
        TagCursor c = file().tags(i);
        Tag t;
        int rowGroup = -1;  // data, title, header: in this order after the margins
        static constexpr QxDb::RowType kRows[] = {QxDb::kDataRow, QxDb::kTitleRow, QxDb::kHeaderRow};
        while (c.next(t)) {
            double v = 0;
            if (t.code == 1001) break;
            if (t.code == 40 && rowGroup < 0 && t.toDouble(v)) style->setHorzCellMargin(v);
            else if (t.code == 41 && rowGroup < 0 && t.toDouble(v)) style->setVertCellMargin(v);
            else if (t.code == 7 && rowGroup < 2) {
                ++rowGroup;
                const QxDbObjectId textStyle = textStyleNamed(file().decode(t.value));
                if (!textStyle.isNull()) style->setTextStyle(textStyle, kRows[rowGroup]);
            } else if (t.code == 140 && rowGroup >= 0 && t.toDouble(v)) {
                style->setTextHeight(v, kRows[rowGroup]);
            }
        }
        return style;
    }

    QxDbObjectId textStyleNamed(std::u16string_view name) const
    {
        QxDbObjectId id;
        auto* table = QxDbSymbolTable::cast(qx::peekObject(m_impl.textStyleTable));
        if (table) table->getAt(std::u16string(name).c_str(), id);
        return id;
    }

    QxDbObjectId blockNamed(std::u16string_view name)
    {
        QxDbObjectId id;
        auto* table = QxDbSymbolTable::cast(qx::peekObject(m_impl.blockTable));
        if (table && table->getAt(std::u16string(name).c_str(), id) == Qxapp::eOk) return id;
        // Files without block records (R12) name blocks only in BLOCK records.
        auto* record = new QxDbBlockTableRecord;
        record->setName(std::u16string(name).c_str());
        m_database->addObject(record, QxDbHandle(), m_impl.blockTable, id);
        m_madeWhileReading.push_back(qx::DbInternals::stub(id));
        table->indexRecord(std::u16string(name), id);
        if (equalsIgnoringCase(name, QXDB_MODEL_SPACE)) m_impl.modelSpace = id;
        else if (equalsIgnoringCase(name, QXDB_PAPER_SPACE)) m_impl.paperSpace = id;
        return id;
    }

    QxDbObjectId spaceFor(bool paper)
    {
        QxDbObjectId& slot = paper ? m_impl.paperSpace : m_impl.modelSpace;
        if (slot.isNull()) blockNamed(paper ? QXDB_PAPER_SPACE : QXDB_MODEL_SPACE);
        return slot;
    }

    // Entities of the BLOCKS or ENTITIES section. In BLOCKS they belong to the block opened by
    // the last BLOCK record; attributes belong to the reference they follow.
    bool readEntities(const Section& section, bool inBlocks)
    {
        const DxfFile& f = file();
        EntityContext context;
        // Most texts of a drawing name the same style (or none, which is the standard one): the
        // last one looked up is kept. No style is added while entities are read.
        context.textStyle = [this, last = std::u16string(), lastId = QxDbObjectId()](std::u16string_view name) mutable {
            if (name != last || lastId.isNull()) last = name, lastId = textStyleNamed(name);
            return lastId;
        };
        context.block = [this](std::u16string_view name) { return blockNamed(name); };
        context.plotStyle = [this](std::uint64_t h) {
            const auto it = m_plotStyles.find(h);
            return it == m_plotStyles.end() ? std::u16string() : it->second;
        };
        context.byHandle = [this](std::uint64_t h) {
            QxDbStub* stub = m_impl.find(h);
            return stub ? QxDbObjectId(stub) : QxDbObjectId();
        };
        QxDbObjectId block;           // in BLOCKS: the block being read
        QxDbObjectId lastReference;   // the INSERT that attributes follow
        std::size_t lastReferenceRecord = 0;
        std::vector<std::pair<std::size_t, QxDbObjectId>> pendingTables;
        for (std::size_t i = section.begin + 1; i < section.end; ++i) {
            const std::string_view type = f.recordType(i);
            if (type == "BLOCK") {
                m_highestHandle = std::max(m_highestHandle, readRecordHeader(f, i).handle);
                block = blockNamed(firstText(file(), i, 2));
                readBlockOrigin(i, block);
                continue;
            }
            if (type == "ENDBLK" || type == "SEQEND" || type == "VERTEX") {
                m_highestHandle = std::max(m_highestHandle, readRecordHeader(f, i).handle);
                if (type != "VERTEX") finishReference(lastReference, lastReferenceRecord);
                if (type == "ENDBLK") block = QxDbObjectId();
                continue;
            }
            if (type == "ATTRIB" && !lastReference.isNull()) {
                const EntityRead attribute = m_entityReader.read(f, i, context, m_error);
                QxDbObjectId id;
                if (!attribute.entity || !add(i, attribute.header, attribute.entity, lastReference, id)) return false;
                if (!id.isNull()) {
                    QxDbBlockReference::cast(qx::peekObject(lastReference))->addAttributeId(id);
                    digest(i);
                }
                continue;
            }
            finishReference(lastReference, lastReferenceRecord);
            entityDone(i);
            const EntityRead entity = m_entityReader.read(f, i, context, m_error);
            if (!entity.entity) return false;
            const QxDbObjectId owner = inBlocks ? (block.isNull() ? spaceFor(false) : block) : spaceFor(entity.paperSpace);
            QxDbObjectId id;
            if (!add(i, entity.header, entity.entity, owner, id)) return false;
            if (id.isNull()) continue;
            if (auto* ownerRecord = QxDbBlockTableRecord::cast(qx::peekObject(owner))) ownerRecord->addEntityId(id);
            if (type == "INSERT") {
                lastReference = id;
                lastReferenceRecord = i;
                m_inserts.push_back(i);
                continue;  // its digest waits for its attributes
            }
            if (type == "ACAD_TABLE") pendingTables.emplace_back(i, id);
            digest(i);
        }
        finishReference(lastReference, lastReferenceRecord);
        for (const auto& [i, id] : pendingTables) {
            resolveTableStyle(i, id);
            digest(i);
        }
        return true;
    }

    void finishReference(QxDbObjectId& reference, std::size_t record)
    {
        if (reference.isNull()) return;
        digest(record);
        reference = QxDbObjectId();
    }

    void readBlockOrigin(std::size_t i, QxDbObjectId block)
    {
        auto* record = QxDbBlockTableRecord::cast(qx::peekObject(block));
        if (!record) return;
        QxGePoint3d origin;
        TagCursor c = file().tags(i);
        Tag t;
        while (c.next(t)) {
            if (t.code == 10) t.toDouble(origin.x);
            else if (t.code == 20) t.toDouble(origin.y);
            else if (t.code == 30) t.toDouble(origin.z);
        }
        record->setOrigin(origin);
    }

    void resolveTableStyle(std::size_t i, QxDbObjectId tableId)
    {
        TagCursor c = file().tags(i);
        Tag t;
        while (c.next(t)) {
            std::uint64_t h = 0;
            if (t.code == 342 && t.toHandle(h)) {
                if (QxDbStub* stub = m_impl.find(h); stub && QxDbTableStyle::cast(stub->object)) {
                    // The table is in the database: its setters want it open for write.
                    QxDbTable* open = nullptr;
                    if (qxdbOpenObject(open, tableId, QxDb::kForWrite) == Qxapp::eOk) {
                        open->setTableStyle(QxDbObjectId(stub));
                        open->close();
                    }
                }
                break;
            }
        }
    }

    // Entities are most of a large file: report every so many of them.
    void entityDone(std::size_t i)
    {
        if (m_progress && (++m_entitiesDone & 0xFFFF) == 0) m_progress(i, file().recordCount());
    }

    DxfError& m_error;
    const DxfFile::Progress& m_progress;
    std::size_t m_entitiesDone = 0;
    std::shared_ptr<QxDbDatabase> m_database;
    QxDbDatabase::Impl& m_impl;
    std::unique_ptr<DxfSource> m_source;
    std::uint64_t m_fileSeed = 0, m_highestHandle = 0;
    std::vector<std::size_t> m_blockRecords, m_inserts;
    std::unordered_map<std::uint64_t, std::u16string> m_plotStyles;
    std::vector<QxDbStub*> m_madeWhileReading;  // a handful: the tables and blocks a file lacks
    std::vector<std::string> m_warnings;
    EntityReader m_entityReader;
};

bool importFile(std::unique_ptr<DxfFile> file, OpenResult& result, DxfError& error, const DxfFile::Progress& progress = {})
{
    if (file->versionNumber() < 1009) {
        error = {file->name(), 0, "drawing version " + file->version() + " is older than R12 and not supported"};
        return false;
    }
    Importer importer(std::move(file), error, progress);
    OpenResult attempt;
    if (!importer.run(attempt)) return false;
    result = std::move(attempt);
    return true;
}

// Reading the text takes about a third of the time of opening, building the objects the rest.
constexpr std::uint64_t kLoadingShare = 35;

}  // namespace

bool openDxf(const std::string& path, OpenResult& result, DxfError& error, const DxfFile::Progress& progress)
{
    DxfFile::Progress loading, building;
    if (progress) {
        loading = [&](std::uint64_t done, std::uint64_t total) {
            if (total) progress(done * kLoadingShare / total, 100);
        };
        building = [&](std::uint64_t done, std::uint64_t total) {
            if (total) progress(kLoadingShare + done * (100 - kLoadingShare) / total, 100);
        };
    }
    auto file = DxfFile::read(path, error, loading);
    if (!file || !importFile(std::move(file), result, error, building)) return false;
    if (progress) progress(100, 100);
    return true;
}

bool openDxfText(std::string text, const std::string& name, OpenResult& result, DxfError& error)
{
    auto file = DxfFile::parse(std::move(text), name, error);
    return file && importFile(std::move(file), result, error);
}

}  // namespace qx::dxf
