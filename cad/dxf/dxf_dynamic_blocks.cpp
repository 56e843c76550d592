#include "cad/dxf/dxf_dynamic_blocks.h"

#include <cmath>
#include <map>
#include <optional>
#include <unordered_map>

#include "cad/db/internals.h"
#include "cad/dxf/dxf_record.h"
#include "dbsymbols.h"

namespace qx::dxf {

namespace {

struct Parameter {
    std::int64_t node = -1;
    std::u16string label;
    enum Kind { Linear, Visibility, Flip, Lookup } kind = Linear;
    double defaultDistance = 0;
    std::u16string firstState;
};

class Walker {
public:
    Walker(const DxfFile& file) : m_file(file)
    {
        const Section* objects = file.section("OBJECTS");
        if (!objects) return;
        for (std::size_t i = objects->begin + 1; i < objects->end; ++i) {
            const RecordHeader h = readRecordHeader(file, i);
            if (h.handle) m_byHandle.emplace(h.handle, i);
        }
    }

    std::optional<std::size_t> record(std::uint64_t handle) const
    {
        const auto it = m_byHandle.find(handle);
        return it == m_byHandle.end() ? std::nullopt : std::optional<std::size_t>(it->second);
    }

    // The entry `name` of the dictionary record `dictionary`.
    std::optional<std::size_t> entry(std::size_t dictionary, std::u16string_view name) const
    {
        TagCursor c = m_file.tags(dictionary);
        Tag t;
        bool match = false;
        while (c.next(t)) {
            if (t.code == 3) match = m_file.decode(t.value) == name;
            else if ((t.code == 350 || t.code == 360) && match) {
                std::uint64_t h = 0;
                return t.toHandle(h) ? record(h) : std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::optional<std::size_t> path(std::uint64_t extensionDictionary, std::initializer_list<std::u16string_view> names) const
    {
        auto at = record(extensionDictionary);
        for (auto name : names) {
            if (!at) return std::nullopt;
            at = entry(*at, name);
        }
        return at;
    }

    // Parameters of a definition, by node id, from its evaluation graph.
    std::vector<Parameter> parameters(std::uint64_t definitionExtensionDictionary) const
    {
        std::vector<Parameter> params;
        const auto graph = path(definitionExtensionDictionary, {u"ACAD_ENHANCEDBLOCK"});
        if (!graph) return params;
        TagCursor c = m_file.tags(*graph);
        Tag t;
        while (c.next(t)) {
            std::uint64_t h = 0;
            if (t.code != 360 || !t.toHandle(h)) continue;
            const auto node = record(h);
            if (!node) continue;
            if (auto p = parameter(*node)) params.push_back(*p);
        }
        return params;
    }

private:
    std::optional<Parameter> parameter(std::size_t node) const
    {
        const std::string_view type = m_file.recordType(node);
        Parameter p;
        int labelCode = 0;
        if (type == "BLOCKLINEARPARAMETER") p.kind = Parameter::Linear, labelCode = 305;
        else if (type == "BLOCKVISIBILITYPARAMETER") p.kind = Parameter::Visibility, labelCode = 301;
        else if (type == "BLOCKFLIPPARAMETER") p.kind = Parameter::Flip, labelCode = 305;
        else if (type == "BLOCKLOOKUPPARAMETER") p.kind = Parameter::Lookup, labelCode = 303;
        else return std::nullopt;
        TagCursor c = m_file.tags(node);
        Tag t;
        std::string_view subclass;
        double base[3] = {0, 0, 0}, end[3] = {0, 0, 0};
        while (c.next(t)) {
            if (t.code == 100) subclass = t.value;
            else if (t.code == 90 && subclass == "AcDbEvalExpr" && p.node < 0) t.toInt(p.node);
            else if (t.code == labelCode && p.label.empty() && subclass.starts_with("AcDbBlock") && subclass.ends_with("Parameter") &&
                     subclass != "AcDbBlockParameter" && subclass != "AcDbBlock2PtParameter" && subclass != "AcDbBlock1PtParameter")
                p.label = m_file.decode(t.value);
            else if (t.code == 303 && p.kind == Parameter::Visibility && p.firstState.empty())
                p.firstState = m_file.decode(t.value);
            else if (t.code >= 1010 && t.code <= 1031 && subclass == "AcDbBlock2PtParameter") {
                double* target = t.code % 10 == 0 ? base : end;
                t.toDouble(target[(t.code - 1010) / 10 % 3]);
            } else if (t.code == 1001) break;
        }
        p.defaultDistance = std::hypot(end[0] - base[0], end[1] - base[1], end[2] - base[2]);
        if (p.node < 0 || p.label.empty()) return std::nullopt;
        return p;
    }

    const DxfFile& m_file;
    std::unordered_map<std::uint64_t, std::size_t> m_byHandle;
};

std::optional<QxDbBlockReference::DynamicProperty> valueFromCache(const DxfFile& file, std::size_t xrecord, const Parameter& p)
{
    QxDbBlockReference::DynamicProperty property;
    property.name = p.label;
    TagCursor c = file.tags(xrecord);
    Tag t;
    std::vector<double> coordinates;
    std::optional<std::u16string> text;
    std::optional<std::int64_t> last70;
    while (c.next(t)) {
        if ((t.code == 10 || t.code == 20 || t.code == 30)) {
            double v = 0;
            t.toDouble(v);
            coordinates.push_back(v);
        } else if (t.code == 1 && !text) {
            text = file.decode(t.value);
        } else if (t.code == 70) {
            std::int64_t v = 0;
            if (t.toInt(v)) last70 = v;
        }
    }
    switch (p.kind) {
    case Parameter::Linear:
        if (coordinates.size() < 6) return std::nullopt;
        property.restype = 40;
        property.real = std::hypot(coordinates[3] - coordinates[0], coordinates[4] - coordinates[1], coordinates[5] - coordinates[2]);
        return property;
    case Parameter::Visibility:
    case Parameter::Lookup:
        if (!text) return std::nullopt;
        property.restype = 1;
        property.text = *text;
        return property;
    case Parameter::Flip:
        if (!last70) return std::nullopt;
        property.restype = 70;
        property.integer = static_cast<std::int32_t>(*last70);
        return property;
    }
    return std::nullopt;
}

std::optional<QxDbBlockReference::DynamicProperty> defaultValue(const Parameter& p)
{
    QxDbBlockReference::DynamicProperty property;
    property.name = p.label;
    switch (p.kind) {
    case Parameter::Linear: property.restype = 40, property.real = p.defaultDistance; return property;
    case Parameter::Visibility:
        if (p.firstState.empty()) return std::nullopt;
        property.restype = 1, property.text = p.firstState;
        return property;
    case Parameter::Flip: property.restype = 70; return property;
    case Parameter::Lookup: return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

void readDynamicProperties(const DxfFile& file, const DxfSource& source, const std::vector<std::size_t>& insertRecords)
{
    if (insertRecords.empty()) return;
    std::optional<Walker> walker;
    std::map<QxDbStub*, std::vector<Parameter>> parametersOf;  // per definition record
    std::unordered_map<QxDbStub*, std::size_t> recordOf;
    for (std::size_t i = 0; i < source.stubs.size(); ++i)
        if (source.stubs[i] && file.recordType(i) == "BLOCK_RECORD") recordOf.emplace(source.stubs[i], i);

    for (std::size_t i : insertRecords) {
        QxDbStub* stub = source.stubs[i];
        auto* reference = stub ? QxDbBlockReference::cast(stub->object) : nullptr;
        if (!reference) continue;
        auto* block = QxDbBlockTableRecord::cast(qx::peekObject(reference->blockTableRecord()));
        if (!block) continue;
        QxDbObjectId definition;
        if (block->isDynamicDefinition()) definition = reference->blockTableRecord();
        else if (!block->dynamicBlockDefinition().isNull()) definition = block->dynamicBlockDefinition();
        if (definition.isNull()) continue;
        if (!walker) walker.emplace(file);

        auto known = parametersOf.find(qx::DbInternals::stub(definition));
        if (known == parametersOf.end()) {
            std::vector<Parameter> params;
            if (auto r = recordOf.find(qx::DbInternals::stub(definition)); r != recordOf.end()) {
                const RecordHeader h = readRecordHeader(file, r->second);
                if (h.extensionDictionary) params = walker->parameters(h.extensionDictionary);
            }
            known = parametersOf.emplace(qx::DbInternals::stub(definition), std::move(params)).first;
        }
        const RecordHeader h = readRecordHeader(file, i);
        const auto cache = h.extensionDictionary
                               ? walker->path(h.extensionDictionary, {u"AcDbBlockRepresentation", u"AppDataCache", u"ACAD_ENHANCEDBLOCKDATA"})
                               : std::nullopt;
        std::vector<QxDbBlockReference::DynamicProperty> properties;
        for (const Parameter& p : known->second) {
            std::optional<QxDbBlockReference::DynamicProperty> value;
            if (cache)
                if (auto xrecord = walker->entry(*cache, utf8ToUtf16(std::to_string(p.node)))) value = valueFromCache(file, *xrecord, p);
            if (!value) value = defaultValue(p);
            if (value) properties.push_back(std::move(*value));
        }
        if (properties.empty()) continue;
        // The reference is in the database now; the setter wants it open for write.
        const auto id = QxDbObjectId(stub);
        QxDbBlockReference* open = nullptr;
        if (qxdbOpenObject(open, id, QxDb::kForWrite) == Qxapp::eOk) {
            open->setDynamicProperties(std::move(properties));
            open->close();
        }
    }
}

}  // namespace qx::dxf
