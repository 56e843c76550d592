#include "engine/extraction_engine.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "engine/entity_kinds.h"
#include "module/strings.h"
#include "resources/string_ids.h"

ExtractionEngine::ExtractionEngine(StrHelper myStrHelper, int nLuprec)
    : strHelper(std::move(myStrHelper)), roundStep(RoundStepForLuprec(nLuprec))
{
}

double ExtractionEngine::RoundStepForLuprec(int nLuprec)
{
    static constexpr double kSteps[] = {1.0, 0.1, 0.01, 0.001, 0.0001, 1e-5, 1e-6, 1e-7};
    return nLuprec >= 0 && nLuprec <= 7 ? kSteps[nLuprec] : 1e-8;
}

double ExtractionEngine::Round(double value) const { return std::floor(value / roundStep + 0.5) * roundStep; }

QxGePoint3d ExtractionEngine::Round(const QxGePoint3d& point) const
{
    return {Round(point.x), Round(point.y), Round(point.z)};
}

// ---------------------------------------------------------------------------------------
// Offered properties

PropItemSet ExtractionEngine::OfferedProperties(const std::vector<std::u16string>& lsObjectsSelIn)
{
    seHeaders.clear();
    const PropItem& thicknessItem = strHelper.ls_comPropTags[CommonPos::Thickness];

    unsigned categories = 0;
    bool blockChosen = false;
    for (const std::u16string& csType : lsObjectsSelIn) {
        seHeaders.insert(strHelper.objectTypeItem);
        seHeaders.insert(strHelper.quantityItem);
        const EntityKind* kind = KindOfCode(strHelper.KindCode(csType));
        if (!kind) continue;
        categories |= kind->categories;
        if (kind->code == kTypeBlock) {
            blockChosen = true;
            seHeaders.insert(strHelper.blockNameItem);
            seHeaders.insert(seBlockProps.begin(), seBlockProps.end());
            seHeaders.insert(strHelper.blcDatas.begin(), strHelper.blcDatas.end());
            seHeaders.insert(strHelper.blockPreviewItem);
            continue;
        }
        // Thickness is offered exactly when a kind whose records carry it is chosen, whatever
        // the order of the chosen kinds: 3D solids and texts simply do not add it.
        for (const PropItem& item : strHelper.ls_comPropTags)
            if (&item != &thicknessItem || kind->hasThickness) seHeaders.insert(item);
        if (kind->ownNames) seHeaders.insert((strHelper.*kind->ownNames).begin(), (strHelper.*kind->ownNames).end());
    }

    seCategories.clear();
    for (std::int32_t category = kCategGeneral; category <= kCategText; ++category)
        if (categories & CategoryBit(category)) seCategories.insert(category);
    // Attributes and dynamic properties are offered only when blocks carrying them were read.
    if (blockChosen)
        for (const PropItem& item : seBlockProps) seCategories.insert(item.category);

    lsObjectsSel = lsObjectsSelIn;
    return seHeaders;
}

TableData ExtractionEngine::PropertyRows(bool bChecked) const
{
    return PropertyRows(seHeaders, [bChecked](const PropItem&) { return bChecked; });
}

TableData ExtractionEngine::PropertyRows(const PropItemSet& headers,
                                         const std::function<bool(const PropItem&)>& isChecked)
{
    TableData rows;
    rows.reserve(headers.size() + 1);
    rows.push_back({u"Chk", u"Categ", LoadResString(kIdsPropertyHeader), LoadResString(kIdsDisplayNameHeader),
                    LoadResString(kIdsTotalHeader)});
    for (const PropItem& item : headers) {
        const std::string categ = std::to_string(item.category);
        rows.push_back({isChecked(item) ? u"1" : u"0", std::u16string(categ.begin(), categ.end()), item.name,
                        item.name, item.totalable ? u"1" : u"0"});
    }
    return rows;
}

TableData ExtractionEngine::ObjectRows() const
{
    TableData rows;
    rows.push_back({u"Chk", strHelper.blockNameItem.name});
    for (std::uint32_t code : TypeCodesPresent()) rows.push_back({u"1", strHelper.KindName(code)});
    return rows;
}

TableData ExtractionEngine::CategoryRows() const
{
    TableData rows;
    for (std::int32_t category : seCategories) rows.push_back({u"1", StrHelper::CategoryName(category)});
    return rows;
}

std::set<std::uint32_t> ExtractionEngine::TypeCodesPresent() const
{
    std::set<std::uint32_t> codes;
    for (const EntityKind& kind : EntityKinds())
        if (kind.recordCount(*this) > 0) codes.insert(kind.code);
    return codes;
}

// ---------------------------------------------------------------------------------------
// Table data

namespace {

// Removes every occurrence of `name`; true when there was one.
bool takeName(std::vector<std::u16string>& names, const std::u16string& name)
{
    const auto end = std::remove(names.begin(), names.end(), name);
    const bool had = end != names.end();
    names.erase(end, names.end());
    return had;
}

// The columns of each pair name for one kind of pair list. Records of a kind give the same
// names at the same places row after row, so each place remembers its last name and columns.
struct PairColumnsCache {
    std::vector<std::u16string> names;
    std::vector<const std::vector<std::size_t>*> columns;
};

// Where the values of a build go: the columns of each name, and those with a fixed meaning.
class RowFiller {
public:
    RowFiller(const std::vector<std::u16string>& lsColNames, const StrHelper& helper)
    {
        for (std::size_t c = 0; c < lsColNames.size(); ++c) m_columnsOf[lsColNames[c]].push_back(c);
        idColumns = columnsOf(u"Id");
        quantityColumns = columnsOf(helper.quantityItem.name);
        objectTypeColumns = columnsOf(helper.objectTypeItem.name);
        blockNameColumns = columnsOf(helper.blockNameItem.name);
        blockPreviewColumns = columnsOf(helper.blockPreviewItem.name);
    }

    const std::vector<std::size_t>& columnsOf(const std::u16string& name) const
    {
        const auto it = m_columnsOf.find(name);
        return it == m_columnsOf.end() ? m_none : it->second;
    }

    // Each pair's value goes into every column named like the pair; a later pair of the
    // same name overwrites an earlier one.
    void applyPairs(TableRow& row, PropertyList&& pairs, PairColumnsCache& cache) const
    {
        if (cache.names.size() < pairs.size()) {
            cache.names.resize(pairs.size());
            cache.columns.resize(pairs.size(), nullptr);
        }
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            if (!cache.columns[i] || cache.names[i] != pairs[i].name) {
                cache.names[i] = pairs[i].name;
                cache.columns[i] = &columnsOf(pairs[i].name);
            }
            const std::vector<std::size_t>& columns = *cache.columns[i];
            if (columns.empty()) continue;
            for (std::size_t k = 0; k + 1 < columns.size(); ++k) row[columns[k]] = pairs[i].value;
            row[columns.back()] = std::move(pairs[i].value);
        }
    }

    void applyPairs(TableRow& row, const PropertyList& pairs) const
    {
        for (const PropertyPair& pair : pairs)
            for (std::size_t c : columnsOf(pair.name)) row[c] = pair.value;
    }

    static void fill(TableRow& row, const std::vector<std::size_t>& columns, const std::u16string& text)
    {
        for (std::size_t c : columns) row[c] = text;
    }

    std::vector<std::size_t> idColumns, quantityColumns, objectTypeColumns, blockNameColumns, blockPreviewColumns;

private:
    std::unordered_map<std::u16string, std::vector<std::size_t>> m_columnsOf;
    std::vector<std::size_t> m_none;
};

template <class Emit>
void appendGeneralRows(Emit& emit, const ExtractionEngine& engine, const EntityKind& kind, const RowFiller& filler,
                       std::size_t width)
{
    static const PropItemList kNoNames;
    const StrHelper& helper = engine.strHelper;
    const PropItemList& ownNames = kind.ownNames ? helper.*kind.ownNames : kNoNames;
    PairColumnsCache commonCache, ownCache;
    const std::u16string one = u"1";
    const std::size_t count = kind.recordCount(engine);
    for (std::size_t i = 0; i < count; ++i) {
        const GeomEnt& record = *kind.generalRecord(engine, i);
        TableRow row(width);
        RowFiller::fill(row, filler.objectTypeColumns, record.typeName(helper.lsObjNames));
        RowFiller::fill(row, filler.quantityColumns, one);
        RowFiller::fill(row, filler.idColumns, record.handle);
        filler.applyPairs(row, record.getCommonProperties(helper.ls_comPropTags), commonCache);
        filler.applyPairs(row, record.getProperties(ownNames), ownCache);
        // Column 0 identifies the object for every output and the update: no property of the
        // same name may take its place.
        if (width > 0) row[0] = record.handle;
        emit(std::move(row));
    }
}

template <class Emit>
void appendBlockRows(Emit& emit, BlockIdMap& blockIds, const std::vector<BlockEntity>& records,
                     const StrHelper& helper, const RowFiller& filler, std::size_t width)
{
    PairColumnsCache ownCache;
    const std::u16string one = u"1";
        for (const BlockEntity& record : records) {
        TableRow row(width);
        RowFiller::fill(row, filler.objectTypeColumns, record.typeName(helper.lsObjNames));
        RowFiller::fill(row, filler.blockNameColumns, record.name);
        RowFiller::fill(row, filler.quantityColumns, one);
        RowFiller::fill(row, filler.idColumns, record.handle);
        filler.applyPairs(row, record.lsAttributs);
        filler.applyPairs(row, record.lsProps);
        filler.applyPairs(row, record.getProperties(helper.blcDatas), ownCache);
        if (!filler.blockPreviewColumns.empty()) blockIds.emplace(record.handle, record.idBlkTblRec);
        if (width > 0) row[0] = record.handle;
        emit(std::move(row));
    }
}

// The columns of a build: the identifier, then the names with a fixed place (taken out of
// `lsPropsSel`), then the other chosen properties in their order.
std::vector<std::u16string> columnNames(std::vector<std::u16string>& lsPropsSel, bool bQuantity, bool bBlockName,
                                        const StrHelper& helper)
{
    std::vector<std::u16string> names{u"Id"};
    if (takeName(lsPropsSel, helper.objectTypeItem.name)) names.push_back(helper.objectTypeItem.name);
    if (bQuantity) {
        takeName(lsPropsSel, helper.quantityItem.name);
        names.push_back(helper.quantityItem.name);
    }
    if (bBlockName) {
        takeName(lsPropsSel, helper.blockNameItem.name);
        names.push_back(helper.blockNameItem.name);
    }
    if (takeName(lsPropsSel, helper.blockPreviewItem.name)) names.push_back(helper.blockPreviewItem.name);
    names.insert(names.end(), lsPropsSel.begin(), lsPropsSel.end());
    return names;
}

// Only the entries of the kept handles stay.
void keepBlockIdsOf(BlockIdMap& blockIds, const std::vector<std::u16string>& keptHandles)
{
    BlockIdMap kept;
    for (const std::u16string& handle : keptHandles) {
        const auto it = blockIds.find(handle);
        if (it != blockIds.end()) kept.insert(*it);
    }
    blockIds = std::move(kept);
}

}  // namespace

void ExtractionEngine::BuildTableData(std::vector<std::u16string>& lsPropsSelIn, bool bQuantity, bool bBlockName,
                                      const std::vector<std::u16string>& lsTotalCols,
                                      const std::u16string& csGroupByIn, TableData& veTableDataOut,
                                      BlockIdMap& lsBlockTbRecId)
{
    lsPropsSel = lsPropsSelIn;
    csGroupBy = csGroupByIn;
    lsColNames = columnNames(lsPropsSelIn, bQuantity, bBlockName, strHelper);

    const std::size_t width = lsColNames.size();
    const RowFiller filler(lsColNames, strHelper);
    std::vector<const EntityKind*> kinds;
    bool bBlocksPresent = false;
    std::size_t total = 1;
    for (const std::u16string& csType : lsObjectsSel) {
        const EntityKind* kind = KindOfCode(strHelper.KindCode(csType));
        if (!kind) continue;
        kinds.push_back(kind);
        if (kind->code == kTypeBlock) bBlocksPresent = true;
        total += kind->recordCount(*this);
    }

    // With block references among the kinds, rows combine only when the block name is a
    // column: references of different blocks would otherwise merge.
    const bool bCombine = bQuantity && (!bBlocksPresent || (bBlockName && csGroupBy.empty()));
    bRowsCombined = bCombine;
    const bool bGroup = !bCombine && !csGroupBy.empty() && !bQuantity;

    TableData rows;
    BlockIdMap blockIds;
    RowCombiner combiner;
    auto emitRow = [&](TableRow&& row) {
        if (bCombine)
            combiner.add(std::move(row));
        else
            rows.push_back(std::move(row));
    };
    if (!bCombine) rows.reserve(total);
    if (!bCombine) rows.push_back(lsColNames);
    for (const EntityKind* kind : kinds) {
        if (kind->code == kTypeBlock)
            appendBlockRows(emitRow, blockIds, lsBlockEnts.items(), strHelper, filler, width);
        else
            appendGeneralRows(emitRow, *this, *kind, filler, width);
    }

    if (bCombine) {
        keepBlockIdsOf(blockIds, combiner.finish(lsColNames, strHelper.quantityItem.name, rows));
    } else if (bGroup) {
        const std::vector<std::u16string> totalCols =
            lsTotalCols.empty() ? std::vector<std::u16string>{strHelper.quantityItem.name} : lsTotalCols;
        keepBlockIdsOf(blockIds, ::GroupRows(rows, csGroupBy, totalCols));
    }

    if (bKeepTableRows)
        lsTableRows = rows;
    else
        lsTableRows.clear();
    mpBlockIds = blockIds;
    veTableDataOut = std::move(rows);
    lsBlockTbRecId = std::move(blockIds);
}

std::vector<std::u16string> ExtractionEngine::CombineRows(TableData& rows) const
{
    return ::CombineRows(rows, strHelper.quantityItem.name);
}

std::vector<std::u16string> ExtractionEngine::GroupRows(TableData& rows, const std::u16string& csGroupByIn,
                                                        const std::vector<std::u16string>& lsTotalCols) const
{
    return ::GroupRows(rows, csGroupByIn, lsTotalCols);
}
