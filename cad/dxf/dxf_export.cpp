// Saving a database as a drawing file: the records of the file it was read from, unchanged
// ones as they were, changed ones regenerated in place, erased ones left out, new ones added
// where they belong, and the bookkeeping (handle seed, classes, table counts) brought up to date.
#include "cad/dxf/dxf_export.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <set>
#include <unordered_set>

#include "cad/db/internals.h"
#include "cad/db/xdata.h"
#include "cad/dxf/dxf_drawing.h"
#include "cad/dxf/dxf_entities.h"
#include "cad/dxf/dxf_names.h"
#include "dbsymbols.h"
#include "dbtable.h"

namespace qx::dxf {

XData xdataOf(const QxDbObject& object)
{
    XData out;
    const QxDbXData* store = qx::DbInternals::xdataStore(object);
    if (!store) return out;
    for (const QxDbXData::Value& value : store->values()) {
        XValue v;
        v.code = value.code;
        switch (value.kind) {
        case QxRbKind::String: v.text = value.text; break;
        case QxRbKind::Point: std::memcpy(v.point, value.point, sizeof v.point); break;
        case QxRbKind::Real: v.point[0] = value.real; break;
        case QxRbKind::Short:
        case QxRbKind::Long: v.integer = value.integer; break;
        case QxRbKind::Binary: {
            static const char digits[] = "0123456789ABCDEF";
            v.text.reserve(value.binary.size() * 2);
            for (const unsigned char byte : value.binary) {
                v.text += static_cast<char16_t>(digits[byte >> 4]);
                v.text += static_cast<char16_t>(digits[byte & 15]);
            }
            break;
        }
        default: break;
        }
        out.push_back(std::move(v));
    }
    return out;
}

namespace {

// Collects the mapped values of an object as formatted pairs, by group.
class PairCollector : public FieldSink {
public:
    explicit PairCollector(const WriteStyle& style) : m_style(style) {}
    void text(int group, int code, std::u16string_view value, TextRole role) override
    {
        RecordBuilder b(m_style);
        b.text(code, value, role);
        if (static_cast<std::size_t>(group) >= m_groups.size()) m_groups.resize(group + 1);
        m_groups[group] += b.str();
    }
    void real(int group, int code, double value) override { add(group, code, realText(value).view()); }
    void integer(int group, int code, std::int64_t value) override { add(group, code, integerText(value).view()); }
    void handle(int group, int code, std::uint64_t value) override { add(group, code, handleText(value).view()); }

    // The pairs of one group, formatted.
    const std::string& pairs(int group) const
    {
        static const std::string none;
        return static_cast<std::size_t>(group) < m_groups.size() ? m_groups[group] : none;
    }

private:
    void add(int group, int code, std::string_view value)
    {
        if (static_cast<std::size_t>(group) >= m_groups.size()) m_groups.resize(group + 1);
        RecordBuilder::appendPair(m_groups[group], m_style, code, value);
    }
    const WriteStyle& m_style;
    std::vector<std::string> m_groups;
};

// What an object is in the file: its record type.
std::string kindOf(const QxDbObject& object)
{
    if (const auto* entity = QxDbEntity::cast(&object)) return utf16ToUtf8(entity->dxfTypeName());
    if (QxDbLayerTableRecord::cast(&object)) return "LAYER";
    if (QxDbLinetypeTableRecord::cast(&object)) return "LTYPE";
    if (QxDbTextStyleTableRecord::cast(&object)) return "STYLE";
    if (QxDbRegAppTableRecord::cast(&object)) return "APPID";
    if (QxDbBlockTableRecord::cast(&object)) return "BLOCK_RECORD";
    if (QxDbSymbolTable::cast(&object)) return "TABLE";
    if (QxDbDictionary::cast(&object)) return "DICTIONARY";
    if (QxDbTableStyle::cast(&object)) return "TABLESTYLE";
    return utf16ToUtf8(object.isA()->name());
}

bool matches(std::string_view groupSubclass, std::string_view current, bool recordHasMarkers)
{
    if (!recordHasMarkers) return true;
    if (groupSubclass == "*") return !current.empty() && current != "AcDbEntity" && current != "101";
    return groupSubclass == current;
}

class Exporter {
public:
    Exporter(QxDbDatabase& database, DxfSource& source, SaveResult& result)
        : m_db(database), m_impl(qx::DbInternals::impl(database)), m_source(source), m_file(*source.file),
          m_style(WriteStyle::of(m_file, &m_refusal)), m_handles(m_impl), m_result(result)
    {
    }

    // False with `error` set when a value could not be written; then nothing reached the sink
    // after the refused record.
    bool run(const ByteSink& sink, DxfError& error)
    {
        if (!hasChanges(m_db, m_source)) return writeRecords(m_file, DxfEdits{}, sink);
        indexFile();
        markErasedAndChanged();
        addNewObjects();
        updateHeader();
        ensureClasses();
        // Changed records are made while the file is written: a refusal there stops the writing.
        const bool written = !m_refusal.refused() &&
                             writeRecords(m_file, m_edits, [&](std::string_view bytes) { return !m_refusal.refused() && sink(bytes); });
        if (m_refusal.refused()) error = {m_file.name(), 0, m_refusal.message};
        return written;
    }

private:
    // ---- what the file has ----------------------------------------------------------------

    void indexFile()
    {
        for (std::size_t i = 0; i < m_file.recordCount(); ++i) {
            const std::string_view type = m_file.recordType(i);
            if (type == "ENDTAB") {
                m_tableEnd.emplace(m_currentTable, i);
            } else if (type == "TABLE") {
                m_currentTable = i;
                if (m_source.stubs[i]) m_tableRecordOf.emplace(m_source.stubs[i], i);
            } else if (type == "CLASS") {
                m_classes.insert(utf16ToUtf8(firstText(m_file, i, 1)));
            }
        }
        // Blocks are BLOCK ... ENDBLK inside the BLOCKS section; one without its ENDBLK is left
        // as it is rather than letting new content run into what follows.
        const Section* blocks = m_file.section("BLOCKS");
        if (!blocks) return;
        for (std::size_t i = blocks->begin + 1; i < blocks->end; ++i) {
            if (m_file.recordType(i) != "BLOCK") continue;
            std::size_t end = i + 1;
            while (end < blocks->end && m_file.recordType(end) != "ENDBLK" && m_file.recordType(end) != "BLOCK") ++end;
            if (end == blocks->end || m_file.recordType(end) != "ENDBLK") continue;
            const std::u16string name = upperAscii(firstText(m_file, i, 2));
            if (m_blockBegin.emplace(name, i).second) m_blockEnd.emplace(name, end);
        }
    }

    // ---- records of the file ----------------------------------------------------------------

    void markErasedAndChanged()
    {
        std::unordered_set<std::uint64_t> erasedHandles;
        bool skippingFollowers = false;  // after an erased INSERT or POLYLINE: its ATTRIB/VERTEX/SEQEND
        for (std::size_t i = 0; i < m_file.recordCount(); ++i) {
            const std::string_view type = m_file.recordType(i);
            QxDbStub* stub = m_source.stubs[i];
            if (type == "ATTRIB" || type == "VERTEX" || type == "SEQEND") {
                const RecordHeader h = readRecordHeader(m_file, i);
                const bool ownerGone = (h.hasOwner && erasedHandles.count(h.owner)) || (!h.hasOwner && skippingFollowers);
                if (ownerGone || (stub && stub->erased)) {
                    m_edits.remove(i);
                    continue;
                }
                if (type == "SEQEND") skippingFollowers = false;
            } else {
                skippingFollowers = false;
            }
            if (!stub) continue;
            if (stub->erased || !stub->object) {
                m_edits.remove(i);
                erasedHandles.insert(stub->handle);
                skippingFollowers = true;
                continue;
            }
            if (m_replacedBlocks.count(i)) continue;
            if (auto* table = QxDbTable::cast(stub->object)) {
                if (fieldDigest(*table) != m_source.fieldDigest[i] || xdataDigest(*table) != m_source.xdataDigests.of(i))
                    rewriteTable(i, *table);
                continue;
            }
            const bool fieldsChanged = fieldDigest(*stub->object) != m_source.fieldDigest[i];
            const bool xdataChanged = xdataDigest(*stub->object) != m_source.xdataDigests.of(i);
            if (fieldsChanged || xdataChanged) {
                if (m_changes.empty()) m_changes.assign(m_file.recordCount(), 0);
                m_changes[i] = (fieldsChanged ? kFields : 0) | (xdataChanged ? kXData : 0);
                m_edits.rewriteLater(i);
            }
        }
        m_edits.setRewriter([this](std::size_t i) {
            return regenerate(i, *m_source.stubs[i]->object, m_changes[i] & kFields, m_changes[i] & kXData);
        });
    }

    // A changed record: its mapped groups replaced where they stood (or added at the end of
    // their subclass), every other pair copied, the extended data rewritten when it changed.
    std::string regenerate(std::size_t i, const QxDbObject& object, bool fieldsChanged, bool xdataChanged)
    {
        writing(object);
        std::vector<FieldGroup> ownGroups;  // of records that are no entities
        const std::vector<FieldGroup>* described = nullptr;
        PairCollector values(m_style);
        if (const auto* entity = QxDbEntity::cast(&object)) {
            described = &kindOfEntity(*entity).replaced;
            writeFields(*entity, values, FieldUse::Replace);
        } else if (const auto* table = QxDbSymbolTable::cast(&object)) {
            ownGroups = {{"AcDbSymbolTable", {70}}};
            values.integer(0, 70, static_cast<std::int64_t>(table->recordIds().size()));
        } else if (const auto* record = QxDbSymbolTableRecord::cast(&object)) {
            ownGroups = {{"*", {2}}};
            values.text(0, 2, record->name(), TextRole::Verbatim);
            if (const auto* style = QxDbTextStyleTableRecord::cast(&object)) {
                ownGroups.push_back({"*", {40}}), ownGroups.push_back({"*", {41}}), ownGroups.push_back({"*", {3}});
                values.real(1, 40, style->textSize()), values.real(2, 41, style->xScale()), values.text(3, 3, style->fileName(), TextRole::Verbatim);
            }
        } else if (const auto* dictionary = QxDbDictionary::cast(&object)) {
            return regenerateDictionary(i, *dictionary, xdataChanged);
        } else if (const auto* style = QxDbTableStyle::cast(&object)) {
            const RecordHeader h = readRecordHeader(m_file, i);
            return writeTableStyle(*style, h.handle, h.owner, m_style);
        }
        static const std::vector<FieldGroup> kNone;
        const std::vector<FieldGroup>& groups = !fieldsChanged ? kNone : described ? *described : ownGroups;

        const std::string_view text = m_file.recordText(i);
        const bool markers = text.find("\n100") != std::string_view::npos || text.find("\n100\r") != std::string_view::npos;
        std::vector<bool> placed(groups.size(), false);
        std::string out;
        std::string_view subclass;
        bool inGroup = false, xdataWritten = false;
        auto flushSubclass = [&](std::string_view ending) {
            for (std::size_t g = 0; g < groups.size(); ++g)
                if (!placed[g] && (groups[g].subclass == ending || (groups[g].subclass == "*" && matches("*", ending, true)))) {
                    out += values.pairs(static_cast<int>(g));
                    placed[g] = true;
                }
        };
        auto flushAll = [&] {
            for (std::size_t g = 0; g < groups.size(); ++g)
                if (!placed[g]) out += values.pairs(static_cast<int>(g)), placed[g] = true;
        };
        auto writeNewXData = [&] {
            RecordBuilder b(m_style);
            const std::size_t size = writeXData(b, xdataOf(object));
            warnXDataSize(size, readRecordHeader(m_file, i).handle);
            out += b.str();
            xdataWritten = true;
        };
        TagCursor cursor = m_file.tags(i);
        Tag tag;
        while (cursor.next(tag)) {
            if (tag.code == 1001) {
                flushAll();
                if (xdataChanged) {
                    writeNewXData();
                    return out;
                }
                out += tag.raw;
                out += cursor.rest();
                return out;
            }
            if (tag.code == 100) {
                flushSubclass(subclass);
                subclass = tag.value;
            } else if (tag.code == 101) {
                flushSubclass(subclass);
                subclass = "101";
            } else if (tag.code == 102) {
                inGroup = tag.value.starts_with('{');
            } else if (!inGroup && tag.code != 0) {
                bool mapped = false;
                for (std::size_t g = 0; g < groups.size() && !mapped; ++g) {
                    if (!matches(groups[g].subclass, subclass, markers)) continue;
                    if (std::find(groups[g].codes.begin(), groups[g].codes.end(), tag.code) == groups[g].codes.end()) continue;
                    mapped = true;
                    if (!placed[g]) out += values.pairs(static_cast<int>(g)), placed[g] = true;
                }
                if (mapped) continue;
            }
            out += tag.raw;
        }
        flushAll();
        if (xdataChanged && !xdataWritten) writeNewXData();
        return out;
    }

    // Entries of the original kept unless the database dropped them, new entries added after them.
    std::string regenerateDictionary(std::size_t i, const QxDbDictionary& dictionary, bool xdataChanged)
    {
        std::set<std::uint64_t> present;
        for (const auto& [name, id] : dictionary.entries()) present.insert(handleOf(id));
        std::set<std::uint64_t> original;
        std::string out, xdata;
        TagCursor cursor = m_file.tags(i);
        Tag tag;
        std::string_view pendingName;
        bool inXData = false;
        while (cursor.next(tag)) {
            if (tag.code == 1001) inXData = true;
            if (inXData) {
                xdata += tag.raw;
                continue;
            }
            if (tag.code == 3) {
                pendingName = tag.raw;
                continue;
            }
            if ((tag.code == 350 || tag.code == 360) && !pendingName.empty()) {
                std::uint64_t h = 0;
                tag.toHandle(h);
                original.insert(h);
                QxDbStub* target = m_impl.find(h);
                const bool dropped = target && target->object && !present.count(h);
                if (!dropped) out += std::string(pendingName) + std::string(tag.raw);
                pendingName = {};
                continue;
            }
            out += tag.raw;
        }
        RecordBuilder b(m_style);
        for (const auto& [name, id] : dictionary.entries())
            if (!original.count(handleOf(id))) b.name(3, name).handle(350, handleOf(id));
        out += b.str();
        if (xdataChanged) {
            RecordBuilder x(m_style);
            writeXData(x, xdataOf(dictionary));
            out += x.str();
        } else {
            out += xdata;
        }
        return out;
    }

    // A changed table: the record regenerated whole and its block's content replaced.
    void rewriteTable(std::size_t i, const QxDbTable& table)
    {
        writing(table);
        const RecordHeader h = readRecordHeader(m_file, i);
        const std::u16string blockName = nameOf(table.blockTableRecord());
        const auto begin = m_blockBegin.find(upperAscii(blockName));
        const std::uint64_t blockRecord = handleOf(table.blockTableRecord());
        if (blockName.empty() || begin == m_blockBegin.end()) {
            // No block of its own in the file: give it a new one.
            m_edits.replace(i, newTable(table, h.handle, h.owner));
            return;
        }
        TableRecords records = writeTable(table, h.handle, h.owner, blockRecord, blockName, m_style, m_file.versionNumber(), m_handles);
        warnXDataSize(records.xdataSize, h.handle);
        // The record is written whole, without the original's extension dictionary: newer
        // programs keep a round-trip copy of the cells there and would rebuild the table from it,
        // undoing the host's edit. The dictionary stays in the file, owned by the table.
        m_edits.replace(i, std::move(records.table));
        const std::size_t end = m_blockEnd.at(upperAscii(blockName));
        for (std::size_t k = begin->second + 1; k < end; ++k) {
            m_edits.remove(k);
            m_replacedBlocks.insert(k);
        }
        m_edits.insertBefore(end, std::move(records.entities));
    }

    // ---- new objects ---------------------------------------------------------------------

    void addNewObjects()
    {
        const Section* entities = m_file.section("ENTITIES");
        const Section* objects = m_file.section("OBJECTS");
        const Section* blocks = m_file.section("BLOCKS");
        std::size_t position = 0;
        for (QxDbStub& stub : m_impl.stubs) {
            if (m_source.isStubFromRecord(position++) || stub.erased || !stub.object) continue;
            QxDbObject* object = stub.object;
            if (QxDbAttribute::cast(object)) continue;  // written with their reference
            if (auto* entity = QxDbEntity::cast(object)) {
                const QxDbObjectId owner = entity->ownerId();
                auto* block = QxDbBlockTableRecord::cast(qx::peekObject(owner));
                if (!block) continue;
                std::string text = newEntity(*entity);
                if (text.empty()) continue;
                if (owner == m_impl.modelSpace || owner == m_impl.paperSpace) {
                    if (entities) m_edits.insertBefore(entities->end, std::move(text));
                } else if (auto it = m_blockEnd.find(upperAscii(block->name())); it != m_blockEnd.end()) {
                    m_edits.insertBefore(it->second, std::move(text));
                } else {
                    m_newBlockContent[qx::DbInternals::stub(owner)] += text;
                }
            } else if (auto* record = QxDbSymbolTableRecord::cast(object)) {
                addNewTableEntry(*record);
            } else if (QxDbDictionary::cast(object) || QxDbTableStyle::cast(object)) {
                if (!objects) continue;
                const std::string text = newObject(*object);
                // The root dictionary must stay the first object.
                m_edits.insertBefore(object->objectId() == m_impl.namedObjects ? objects->begin + 1 : objects->end, text);
                if (QxDbTableStyle::cast(object)) m_needClasses.insert("TABLESTYLE");
            }
        }
        // Blocks new to the file: BLOCK, their entities, ENDBLK.
        for (QxDbStub* stub : m_newBlocks) {
            auto* block = QxDbBlockTableRecord::cast(stub->object);
            if (!block || !blocks) continue;
            m_edits.insertBefore(blocks->end, newBlock(*block, m_newBlockContent[stub]));
        }
    }

    void addNewTableEntry(const QxDbSymbolTableRecord& record)
    {
        const QxDbObjectId tableId = record.ownerId();
        const auto tableRecord = m_tableRecordOf.find(qx::DbInternals::stub(tableId));
        if (tableRecord == m_tableRecordOf.end()) {
            m_result.warnings.push_back("the " + utf16ToUtf8(record.isA()->name()) + " \"" + utf16ToUtf8(record.name()) +
                                        "\" was not written: its table is not in the file");
            return;
        }
        const auto end = m_tableEnd.find(tableRecord->second);
        if (end == m_tableEnd.end()) return;
        m_edits.insertBefore(end->second, newTableEntry(record));
        if (auto* block = QxDbBlockTableRecord::cast(&record)) {
            if (!m_blockBegin.count(upperAscii(block->name()))) m_newBlocks.push_back(qx::DbInternals::stub(*block));
        }
    }

    std::string newTableEntry(const QxDbSymbolTableRecord& record)
    {
        writing(record);
        RecordBuilder b(m_style);
        if (QxDbBlockTableRecord::cast(&record)) {
            writeBlockRecord(b, record.handle().value(), record.name());
            writeXData(b, xdataOf(record));
            return b.take();
        }
        std::string_view type, subclass;
        if (QxDbLayerTableRecord::cast(&record)) type = "LAYER", subclass = "AcDbLayerTableRecord";
        else if (QxDbLinetypeTableRecord::cast(&record)) type = "LTYPE", subclass = "AcDbLinetypeTableRecord";
        else if (QxDbTextStyleTableRecord::cast(&record)) type = "STYLE", subclass = "AcDbTextStyleTableRecord";
        else if (QxDbRegAppTableRecord::cast(&record)) type = "APPID", subclass = "AcDbRegAppTableRecord";
        else return {};
        b.raw(0, type).handle(5, record.handle().value()).handle(330, handleOf(record.ownerId()));
        b.raw(100, "AcDbSymbolTableRecord").raw(100, subclass).name(2, record.name());
        if (type == "LAYER") b.integer(70, 0).integer(62, 7).raw(6, "Continuous");
        else if (type == "LTYPE") b.integer(70, 0).raw(3, "").integer(72, 65).integer(73, 0).real(40, 0);
        else if (type == "STYLE") {
            const auto& s = static_cast<const QxDbTextStyleTableRecord&>(record);
            b.integer(70, 0).real(40, s.textSize()).real(41, s.xScale()).real(50, 0).integer(71, 0).real(42, 2.5);
            b.name(3, s.fileName()).raw(4, "");
        } else if (type == "APPID") b.integer(70, 0);
        writeXData(b, xdataOf(record));
        return b.take();
    }

    // A block record the host adds (of a new block or of a table's graphics).
    void writeBlockRecord(RecordBuilder& b, std::uint64_t handle, std::u16string_view name)
    {
        b.raw(0, "BLOCK_RECORD").handle(5, handle).handle(330, handleOf(m_impl.blockTable));
        b.raw(100, "AcDbSymbolTableRecord").raw(100, "AcDbBlockTableRecord").name(2, name);
        b.handle(340, 0).integer(70, 0).integer(280, 1).integer(281, 0);
    }

    // A block's BLOCK, its content and its ENDBLK.
    std::string blockText(std::uint64_t record, std::u16string_view name, bool anonymous, const QxGePoint3d& o,
                          std::string_view content)
    {
        RecordBuilder b(m_style);
        b.raw(0, "BLOCK").handle(5, m_handles.next()).handle(330, record).raw(100, "AcDbEntity").raw(8, "0");
        b.raw(100, "AcDbBlockBegin").name(2, name).integer(70, anonymous ? 1 : 0).point(10, o.x, o.y, o.z);
        b.name(3, name).raw(1, "");
        RecordBuilder end(m_style);
        end.raw(0, "ENDBLK").handle(5, m_handles.next()).handle(330, record).raw(100, "AcDbEntity").raw(8, "0");
        end.raw(100, "AcDbBlockEnd");
        // Sized once: a table's graphics can be hundreds of megabytes.
        std::string text;
        text.reserve(b.str().size() + content.size() + end.str().size());
        text.append(b.str()).append(content).append(end.str());
        return text;
    }

    std::string newBlock(const QxDbBlockTableRecord& block, const std::string& content)
    {
        writing(block);
        return blockText(block.handle().value(), block.name(), block.isAnonymous(), block.origin(), content);
    }

    std::string newObject(const QxDbObject& object)
    {
        writing(object);
        const std::uint64_t owner = handleOf(object.ownerId());
        if (const auto* style = QxDbTableStyle::cast(&object)) return writeTableStyle(*style, object.handle().value(), owner, m_style);
        const auto& dictionary = static_cast<const QxDbDictionary&>(object);
        RecordBuilder b(m_style);
        b.raw(0, "DICTIONARY").handle(5, object.handle().value());
        if (owner) b.raw(102, "{ACAD_REACTORS").handle(330, owner).raw(102, "}");
        b.handle(330, owner).raw(100, "AcDbDictionary").integer(281, 1);
        for (const auto& [name, id] : dictionary.entries()) b.name(3, name).handle(350, handleOf(id));
        writeXData(b, xdataOf(object));
        return b.take();
    }

    // A new entity record with its attributes (and their SEQEND) when it is a reference.
    std::string newEntity(const QxDbEntity& entity)
    {
        writing(entity);
        const std::uint64_t owner = handleOf(entity.ownerId());
        if (const auto* table = QxDbTable::cast(&entity)) return newTable(*table, entity.handle().value(), owner);
        const std::u16string type = entity.dxfTypeName();
        const EntityKind& kind = kindOfEntity(entity);
        const auto& subclasses = kind.markers;
        if (subclasses.empty()) {
            m_result.warnings.push_back("a new " + utf16ToUtf8(type) + " (" + formatHandle(entity.handle().value()) +
                                        ") was not written: the host does not know all of its data");
            return {};
        }
        PairCollector values(m_style);
        writeFields(entity, values, FieldUse::NewRecord);
        const auto* reference = QxDbBlockReference::cast(&entity);
        const bool withAttributes = reference && !reference->attributeIds().empty();

        RecordBuilder b(m_style);
        b.name(0, type).handle(5, entity.handle().value()).handle(330, owner).raw(100, "AcDbEntity");
        if (entity.ownerId() == m_impl.paperSpace && !m_impl.paperSpace.isNull()) b.integer(67, 1);
        std::string text = b.take();
        std::string_view current = "AcDbEntity";
        for (std::size_t g = 0; g < kind.fields.size(); ++g) {
            const std::string_view subclass = kind.fields[g].subclass == "*" ? subclasses.front() : kind.fields[g].subclass;
            if (subclass != current) {
                RecordBuilder m(m_style);
                m.raw(100, subclass);
                text += m.str();
                current = subclass;
            }
            text += values.pairs(static_cast<int>(g));
        }
        RecordBuilder x(m_style);
        warnXDataSize(writeXData(x, xdataOf(entity)), entity.handle().value());
        text += x.str();
        if (withAttributes) {
            for (QxDbObjectId id : reference->attributeIds()) {
                const auto* attribute = QxDbEntity::cast(qx::peekObject(id));
                if (attribute && !id.isErased()) text += newEntity(*attribute);
            }
            RecordBuilder s(m_style);
            s.raw(0, "SEQEND").handle(5, m_handles.next()).handle(330, entity.handle().value()).raw(100, "AcDbEntity");
            writing(entity);
            s.name(8, entity.layer());
            text += s.str();
        }
        return text;
    }

    // A table new to the file: its record, and a new anonymous block for its graphics.
    std::string newTable(const QxDbTable& table, std::uint64_t handle, std::uint64_t owner)
    {
        const std::u16string name = freeAnonymousName(u"*T");
        const std::uint64_t blockRecord = m_handles.next();
        TableRecords records = writeTable(table, handle, owner, blockRecord, name, m_style, m_file.versionNumber(), m_handles);
        warnXDataSize(records.xdataSize, handle);
        // Its block record and block.
        if (const auto tables = m_tableRecordOf.find(qx::DbInternals::stub(m_impl.blockTable)); tables != m_tableRecordOf.end()) {
            if (auto end = m_tableEnd.find(tables->second); end != m_tableEnd.end()) {
                RecordBuilder r(m_style);
                writeBlockRecord(r, blockRecord, name);
                m_edits.insertBefore(end->second, r.str());
                ++m_addedBlockRecords;
            }
        }
        if (const Section* blocks = m_file.section("BLOCKS"))
            m_edits.insertBefore(blocks->end, blockText(blockRecord, name, true, QxGePoint3d::kOrigin, records.entities));
        m_needClasses.insert("ACAD_TABLE");
        return std::move(records.table);
    }

    // An anonymous block name ("*T12") that neither the file nor the database uses.
    std::u16string freeAnonymousName(std::u16string_view prefix)
    {
        auto* blocks = QxDbSymbolTable::cast(qx::peekObject(m_impl.blockTable));
        for (;;) {
            std::u16string name = std::u16string(prefix) + utf8ToUtf16(std::to_string(++m_anonymousCounter));
            if (!m_blockBegin.count(upperAscii(name)) && !(blocks && blocks->has(name.c_str()))) return name;
        }
    }

    // Names the object whose values are written next, for a refusal's message.
    void writing(const QxDbObject& object)
    {
        m_refusal.object = "the " + kindOf(object) + " " + formatHandle(object.handle().value());
    }

    void warnXDataSize(std::size_t size, std::uint64_t handle)
    {
        if (size > kXDataLimitBytes)
            m_result.warnings.push_back("object " + formatHandle(handle) + " has " + std::to_string(size) +
                                        " bytes of extended data; other CAD programs accept at most " +
                                        std::to_string(kXDataLimitBytes) + " and may drop it or refuse the file");
    }

    // ---- bookkeeping ---------------------------------------------------------------------

    void updateHeader()
    {
        const Section* header = m_file.section("HEADER");
        if (!header || m_file.versionNumber() < 1012) return;
        // BLOCK_RECORD table count, when table blocks were added.
        if (m_addedBlockRecords) {
            if (const auto tables = m_tableRecordOf.find(qx::DbInternals::stub(m_impl.blockTable)); tables != m_tableRecordOf.end()) {
                const auto* table = QxDbSymbolTable::cast(qx::peekObject(m_impl.blockTable));
                const std::size_t i = tables->second;
                m_edits.replace(i, regenerateCount(i, table->recordIds().size() + m_addedBlockRecords));
            }
        }
        const std::string seed = formatHandle(m_impl.handseed);
        std::string out;
        TagCursor cursor = m_file.tags(header->begin);
        Tag tag;
        bool inSeed = false, found = false;
        while (cursor.next(tag)) {
            if (tag.code == 9) inSeed = tag.value == "$HANDSEED";
            if (inSeed && tag.code == 5) {
                RecordBuilder b(m_style);
                b.raw(5, seed);
                out += b.str();
                found = true;
                continue;
            }
            out += tag.raw;
        }
        if (!found) {
            RecordBuilder b(m_style);
            b.raw(9, "$HANDSEED").raw(5, seed);
            out += b.str();
        }
        m_edits.replace(header->begin, out);
    }

    std::string regenerateCount(std::size_t i, std::size_t count)
    {
        std::string out;
        TagCursor cursor = m_file.tags(i);
        Tag tag;
        bool done = false;
        while (cursor.next(tag)) {
            if (tag.code == 70 && !done) {
                RecordBuilder b(m_style);
                b.integer(70, static_cast<std::int64_t>(count));
                out += b.str();
                done = true;
                continue;
            }
            out += tag.raw;
        }
        return out;
    }

    void ensureClasses()
    {
        const Section* classes = m_file.section("CLASSES");
        RecordBuilder b(m_style);
        for (const std::string& name : m_needClasses) {
            if (m_classes.count(name)) continue;
            if (name == "ACAD_TABLE") {
                b.raw(0, "CLASS").raw(1, "ACAD_TABLE").raw(2, "AcDbTable").raw(3, "ObjectDBX Classes");
                b.integer(90, 1025).integer(91, 0).integer(280, 0).integer(281, 1);
            } else if (name == "TABLESTYLE") {
                b.raw(0, "CLASS").raw(1, "TABLESTYLE").raw(2, "AcDbTableStyle").raw(3, "ObjectDBX Classes");
                b.integer(90, 4095).integer(91, 0).integer(280, 0).integer(281, 0);
            }
        }
        if (b.empty()) return;
        if (classes) {
            m_edits.insertBefore(classes->end, b.str());
        } else if (const Section* tables = m_file.section("TABLES")) {
            // Files may leave the section out while they need no class: it goes before TABLES.
            RecordBuilder section(m_style);
            section.raw(0, "SECTION").raw(2, "CLASSES").pairs(b.str()).raw(0, "ENDSEC");
            m_edits.insertBefore(tables->begin, section.str());
        }
    }

    QxDbDatabase& m_db;
    QxDbDatabase::Impl& m_impl;
    DxfSource& m_source;
    const DxfFile& m_file;
    Refusal m_refusal;
    WriteStyle m_style;
    HandleSource m_handles;
    SaveResult& m_result;
    DxfEdits m_edits;

    std::map<const QxDbStub*, std::size_t> m_tableRecordOf;  // symbol tables: their TABLE record
    std::map<std::u16string, std::size_t> m_blockBegin, m_blockEnd;
    std::map<std::size_t, std::size_t> m_tableEnd;  // TABLE record -> its ENDTAB
    std::size_t m_currentTable = 0;
    std::set<std::string> m_classes, m_needClasses;
    std::set<std::size_t> m_replacedBlocks;
    std::vector<QxDbStub*> m_newBlocks;  // block records new to the file, in database order
    std::map<QxDbStub*, std::string> m_newBlockContent;
    std::size_t m_addedBlockRecords = 0;
    // Per record, what changed, for the records rewritten while the file is written.
    enum : std::uint8_t { kFields = 1, kXData = 2 };
    std::vector<std::uint8_t> m_changes;
    int m_anonymousCounter = 0;
};

// The frame of a new drawing: its header and the headers of its tables, with the database's own
// handles for the tables it has; everything else is added as new objects.
std::unique_ptr<DxfSource> skeletonFor(QxDbDatabase& database, DxfError& error)
{
    QxDbDatabase::Impl& impl = qx::DbInternals::impl(database);
    HandleSource handles(impl);
    WriteStyle style;
    RecordBuilder b(style);
    const QxGePoint3d o = database.ucsorg();
    const QxGeVector3d x = database.ucsxdir(), y = database.ucsydir();
    b.raw(0, "SECTION").raw(2, "HEADER").raw(9, "$ACADVER").raw(1, "AC1027").raw(9, "$DWGCODEPAGE").raw(3, "ANSI_1252");
    b.raw(9, "$HANDSEED").raw(5, "1").raw(9, "$LUPREC").integer(70, database.luprec());
    b.raw(9, "$UCSORG").point(10, o.x, o.y, o.z).raw(9, "$UCSXDIR").point(10, x.x, x.y, x.z);
    b.raw(9, "$UCSYDIR").point(10, y.x, y.y, y.z).raw(0, "ENDSEC");
    b.raw(0, "SECTION").raw(2, "CLASSES").raw(0, "ENDSEC");
    b.raw(0, "SECTION").raw(2, "TABLES");
    struct Table {
        const char* name;
        QxDbObjectId id;
    };
    std::vector<std::pair<std::size_t, QxDbObjectId>> tableRecords;
    std::size_t record = 5;  // SECTION, ENDSEC, SECTION, ENDSEC, SECTION come first
    for (const Table& t : {Table{"VPORT", {}}, Table{"LTYPE", impl.linetypeTable}, Table{"LAYER", impl.layerTable},
                           Table{"STYLE", impl.textStyleTable}, Table{"VIEW", {}}, Table{"UCS", {}},
                           Table{"APPID", impl.regAppTable}, Table{"DIMSTYLE", {}}, Table{"BLOCK_RECORD", impl.blockTable}}) {
        b.raw(0, "TABLE").raw(2, t.name).handle(5, t.id.isNull() ? handles.next() : handleOf(t.id)).handle(330, 0);
        b.raw(100, "AcDbSymbolTable").integer(70, 0);
        if (std::string_view(t.name) == "DIMSTYLE") b.raw(100, "AcDbDimStyleTable").integer(71, 0);
        b.raw(0, "ENDTAB");
        if (!t.id.isNull()) tableRecords.emplace_back(record, t.id);
        record += 2;
    }
    b.raw(0, "ENDSEC");
    b.raw(0, "SECTION").raw(2, "BLOCKS").raw(0, "ENDSEC");
    b.raw(0, "SECTION").raw(2, "ENTITIES").raw(0, "ENDSEC");
    b.raw(0, "SECTION").raw(2, "OBJECTS").raw(0, "ENDSEC").raw(0, "EOF");

    auto source = std::make_unique<DxfSource>();
    source->file = DxfFile::parse(b.take(), "new drawing", error);
    if (!source->file) return nullptr;
    const std::size_t n = source->file->recordCount();
    source->stubs.assign(n, nullptr);
    source->fieldDigest.assign(n, 0);  // differs from any digest: the counts are written
    for (const auto& [i, id] : tableRecords) {
        source->stubs[i] = qx::DbInternals::stub(id);
        source->xdataDigests.add(i, xdataDigest(*qx::peekObject(id)));
    }
    std::size_t position = 0;
    for (const QxDbStub& stub : impl.stubs) {
        for (const auto& [i, id] : tableRecords)
            if (qx::DbInternals::stub(id) == &stub) source->markStubFromRecord(position);
        ++position;
    }
    source->xdataDigests.seal();
    return source;
}

}  // namespace

bool hasChanges(QxDbDatabase& database, const DxfSource& source)
{
    // Every object the file or the reader's defaults account for is still there and unchanged,
    // and the database holds no more objects than those: then nothing was added either.
    // Counting spares a set of a million pointers.
    const auto live = [](const QxDbStub* stub) { return !stub->erased && stub->object; };
    std::size_t known = 0;
    for (std::size_t i = 0; i < source.stubs.size(); ++i) {
        const QxDbStub* stub = source.stubs[i];
        if (!stub) continue;
        if (!live(stub)) return true;
        const auto settled = source.settledDigest.find(i);
        const std::uint64_t expected = settled != source.settledDigest.end() ? settled->second : source.fieldDigest[i];
        if (fieldDigest(*stub->object) != expected || xdataDigest(*stub->object) != source.xdataDigests.of(i)) return true;
        ++known;
    }
    known += static_cast<std::size_t>(std::count_if(source.addedDefaults.begin(), source.addedDefaults.end(), live));
    const auto& stubs = qx::DbInternals::impl(database).stubs;
    return static_cast<std::size_t>(std::count_if(stubs.begin(), stubs.end(), [&](const QxDbStub& s) { return live(&s); })) != known;
}

namespace {

bool produce(QxDbDatabase& database, const ByteSink& sink, SaveResult& result, DxfError& error)
{
    DxfSource* source = sourceOf(&database);
    std::unique_ptr<DxfSource> skeleton;
    if (!source) {
        skeleton = skeletonFor(database, error);
        if (!skeleton) return false;
        source = skeleton.get();
    }
    if (source->file->versionNumber() < 1012) {
        // R12 files have no owners, block records or subclass markers to write new records with.
        const bool changed = hasChanges(database, *source);
        if (changed) {
            error = {source->file->name(), 0,
                     "changes to an R12 (AC1009) drawing cannot be saved"};
            return false;
        }
        return writeRecords(*source->file, DxfEdits{}, sink);
    }
    return Exporter(database, *source, result).run(sink, error);
}

}  // namespace

bool writeDxfText(QxDbDatabase& database, std::string& text, SaveResult& result, DxfError& error)
{
    text.clear();
    const bool written = produce(database, [&](std::string_view bytes) {
        text += bytes;
        return true;
    }, result, error);
    if (!written) text.clear();
    return written;
}

bool saveDxf(QxDbDatabase& database, const std::string& path, SaveResult& result, DxfError& error,
             const DxfFile::Progress& progress)
{
    DxfError produceError;
    const DxfSource* source = sourceOf(&database);
    const std::uint64_t expected = source && source->file ? source->file->text().size() : 0;
    std::uint64_t written = 0;
    const bool saved = saveFileAtomically(path, [&](const ByteSink& sink) {
        if (!progress) return produce(database, sink, result, produceError);
        // Large pieces (an unchanged drawing is one) are passed on in parts, to be seen going.
        constexpr std::size_t kPart = 1u << 20;
        const ByteSink counting = [&](std::string_view bytes) {
            for (std::size_t at = 0; at < bytes.size(); at += kPart) {
                const std::string_view part = bytes.substr(at, kPart);
                if (!sink(part)) return false;
                written += part.size();
                progress(std::min(written, expected), std::max(written, expected));
            }
            return true;
        };
        const bool produced = produce(database, counting, result, produceError);
        if (produced) progress(written, written);
        return produced;
    }, error);
    // A value the writer refused explains the failure better than the file layer can.
    if (!saved && !produceError.message.empty()) {
        error = produceError;
        error.file = path;
        error.message += "; the drawing was not saved and the file on disk is unchanged";
    }
    return saved;
}

}  // namespace qx::dxf
