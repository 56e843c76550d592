// Reading a selection of the drawing into entity records. Every object is opened for read
// once (block references twice), copied out, and closed before the next one.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "engine/object_reader.h"

#include "engine/entity_kinds.h"
#include "engine/extraction_engine.h"
#include "engine/number_text.h"
#include "engine/read_conversions.h"
#include "host/dbentities.h"
#include "host/dbsymbols.h"
#include "host/dynblock.h"
#include "host/editor.h"
#include "host/hyperlink.h"
#include "host/resbuf.h"
#include "module/strings.h"
#include "resources/string_ids.h"

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

std::vector<std::u16string> hyperlinksOf(const QxDbEntity* entity)
{
    std::vector<std::u16string> names;
    auto* pe = QxDbEntityHyperlinkPE::cast(entity->x(QxDbEntityHyperlinkPE::desc()));
    if (!pe) return names;
    bool hasIt = false;
    if (pe->hasHyperlinks(entity, hasIt, true) != Qxapp::eOk || !hasIt) return names;
    QxDbHyperlinkCollection* links = nullptr;
    if (pe->getHyperlinkCollection(entity, links, false, true) != Qxapp::eOk || !links) return names;
    const std::unique_ptr<QxDbHyperlinkCollection> owned(links);
    for (int i = 0; i < links->count(); ++i) names.push_back(links->item(i)->name());
    return names;
}

bool blockName(QxDbObjectId recordId, std::u16string& name)
{
    QxDbBlockTableRecord* record = nullptr;
    if (qxdbOpenObject(record, recordId, QxDb::kForRead) != Qxapp::eOk) return false;
    QxDbObjectCloser<QxDbBlockTableRecord> closer(record);
    return record->getName(name) == Qxapp::eOk;
}

}  // namespace

EngineReader::EngineReader(ExtractionEngine& engine) : m_engine(engine), m_byTexts(ByTexts::Load()) {}

void EngineReader::readObject(QxDbEntity* entity, QxDbObjectId id, const std::u16string& handle)
{
    if (const EntityKind* kind = KindOfObject(entity)) (this->*kind->read)(entity, id, handle);
}

double EngineReader::round(double value) const { return m_engine.Round(value); }
QxGePoint3d EngineReader::round(const QxGePoint3d& point) const { return m_engine.Round(point); }
std::u16string EngineReader::kindName(std::uint32_t code) const { return m_engine.strHelper.KindName(code); }

CommonProps EngineReader::readCommon(const QxDbEntity* entity, double thickness) const
{
    CommonProps common;
    common.layer = entity->layer();
    common.color = ColorText(entity->colorIndex(), m_byTexts);
    common.linetypeScale = ThroughSixDecimals(round(entity->linetypeScale()));
    common.lineWeight = LineWeightText(entity->lineWeight(), m_engine, m_byTexts);
    common.plotStyle = ByLayerOrBlockName(entity->plotStyleName(), m_byTexts);
    common.linetype = ByLayerOrBlockName(entity->linetype(), m_byTexts);
    common.hyperlinks = hyperlinksOf(entity);
    common.thickness = round(thickness);
    return common;
}

void EngineReader::readLine(QxDbEntity* entity, QxDbObjectId, const std::u16string& handle)
{
    const auto* line = static_cast<const QxDbLine*>(entity);
    const CommonProps common = readCommon(line, line->thickness());
    const QxGePoint3d start = line->startPoint(), end = line->endPoint();
    double length = 0.0;
    line->getDistAtPoint(end, length);
    const QxGeVector3d delta = end - start;
    const double angle = delta.angleOnPlane(QxGePlane::kXYPlane) * 180.0 / 3.141592653589793;
    m_engine.lsLines.emplace_back(handle, kTypeLine, kindName(kTypeLine), common, round(angle), round(delta.x),
                                  round(delta.y), round(delta.z), round(start), round(end), round(length));
}

void EngineReader::readPolyline(QxDbEntity* entity, QxDbObjectId, const std::u16string& handle)
{
    const auto* pline = static_cast<const QxDbPolyline*>(entity);
    const CommonProps common = readCommon(pline, pline->thickness());
    double area = 0.0, width = 0.0, endParam = 0.0, length = 0.0;
    pline->getArea(area);
    pline->getConstantWidth(width);
    if (pline->getEndParam(endParam) == Qxapp::eOk) pline->getDistAtParam(endParam, length);
    m_engine.lsPolyLines.emplace_back(handle, kTypePolyline, kindName(kTypePolyline), common, round(area),
                                      round(width), round(length), pline->isClosed() ? 1 : 0,
                                      pline->hasPlinegen() ? 1 : 0);
}

void EngineReader::readCircle(QxDbEntity* entity, QxDbObjectId, const std::u16string& handle)
{
    const auto* circle = static_cast<const QxDbCircle*>(entity);
    double area = 0.0;
    circle->getArea(area);
    const double radius = circle->radius();
    const double periphery = radius * 2.0 * 3.141592653589793;
    const CommonProps common = readCommon(circle, circle->thickness());
    m_engine.lsCircles.emplace_back(handle, kTypeCircle, kindName(kTypeCircle), common, round(area),
                                    round(circle->center()), round(radius), round(periphery));
}

void EngineReader::readArc(QxDbEntity* entity, QxDbObjectId, const std::u16string& handle)
{
    const auto* arc = static_cast<const QxDbArc*>(entity);
    double area = 0.0, length = 0.0;
    arc->getArea(area);
    QxGePoint3d end;
    if (arc->getEndPoint(end) == Qxapp::eOk) arc->getDistAtPoint(end, length);
    const CommonProps common = readCommon(arc, arc->thickness());
    m_engine.lsArcs.emplace_back(handle, kTypeArc, kindName(kTypeArc), common, round(area),
                                 round(arc->startAngle() / kRadiansPerDegree),
                                 round(arc->endAngle() / kRadiansPerDegree), round(arc->center()), round(length),
                                 round(arc->radius()));
}

void EngineReader::readSolid3D(QxDbEntity* entity, QxDbObjectId, const std::u16string& handle)
{
    Solid3D record(handle, kTypeSolid3D, kindName(kTypeSolid3D), readCommon(entity, 0.0));
    record.hasThickness = KindOfCode(kTypeSolid3D)->hasThickness;
    m_engine.lsSolid3Ds.push_back(std::move(record));
}

void EngineReader::readSolid(QxDbEntity* entity, QxDbObjectId, const std::u16string& handle)
{
    const auto* solid = static_cast<const QxDbSolid*>(entity);
    m_engine.lsSolids.emplace_back(handle, kTypeSolid, kindName(kTypeSolid), readCommon(solid, solid->thickness()));
}

void EngineReader::readPoint(QxDbEntity* entity, QxDbObjectId, const std::u16string& handle)
{
    const auto* point = static_cast<const QxDbPoint*>(entity);
    m_engine.lsPoints.emplace_back(handle, kTypePoint, kindName(kTypePoint), readCommon(point, point->thickness()),
                                   round(point->position()));
}

void EngineReader::readMText(QxDbEntity* entity, QxDbObjectId, const std::u16string& handle)
{
    const auto* mtext = static_cast<const QxDbMText*>(entity);
    const CommonProps common = readCommon(mtext, 0.0);
    // One line of text takes 5/3 of the text height; the factor scales that.
    const double spacingDist = mtext->lineSpacingFactor() * 5.0 / 3.0 * mtext->textHeight();
    MultiText record(handle, kTypeMText, kindName(kTypeMText), common, round(mtext->location()), mtext->text(),
                     mtext->attachment(), mtext->flowDirection(), round(mtext->width()), round(mtext->textHeight()),
                     round(mtext->rotation()), mtext->backgroundFillOn(), round(mtext->lineSpacingFactor()),
                     mtext->lineSpacingStyle(), textStyleName(mtext->textStyle()), round(spacingDist));
    record.hasThickness = KindOfCode(kTypeMText)->hasThickness;
    m_engine.lsMultiTexts.push_back(std::move(record));
}

std::u16string EngineReader::textStyleName(QxDbObjectId styleId)
{
    if (styleId.isNull()) return {};
    const auto cached = m_styleNames.find(styleId);
    if (cached != m_styleNames.end()) return cached->second;
    std::u16string name;
    QxDbTextStyleTableRecord* style = nullptr;
    if (qxdbOpenObject(style, styleId, QxDb::kForRead) == Qxapp::eOk) {
        QxDbObjectCloser<QxDbTextStyleTableRecord> closer(style);
        style->getName(name);
    }
    return m_styleNames.emplace(styleId, name).first->second;
}

PropertyList EngineReader::dynamicProperties(QxDbObjectId referenceId, std::vector<PropItem>& items) const
{
    PropertyList properties;
    const QxDbDynBlockReference view(referenceId);
    QxDbDynBlockReferencePropertyArray array;
    view.getBlockProperties(array);
    for (const QxDbDynBlockReferenceProperty& property : array) {
        std::u16string name = property.propertyName();
        if (name == u"Origin") continue;
        std::u16string text;
        const bool numeric = DynamicValueText(property.value(), m_engine, text);
        items.push_back({name, kCategDynamicBlock, numeric});
        properties.push_back({std::move(name), std::move(text)});
    }
    return properties;
}

// The name a reference is listed under: its block's, or for a dynamic block its definition's
// rather than the anonymous block of this reference. False when the reference is not read.
bool EngineReader::blockListing(QxDbBlockReference* reference, QxDbObjectId id, BlockListing& listing) const
{
    const QxDbDynBlockReference dynView(id);
    if (!dynView.isDynamicBlock())
        return blockName(reference->blockTableRecord(), listing.name) && !IsExcludedBlockName(listing.name);
    if (!blockName(dynView.dynamicBlockTableRecord(), listing.name)) {
        listing.name.clear();
        return true;
    }
    listing.isDynamic = true;
    if (IsExcludedBlockName(listing.name)) return false;
    listing.properties = dynamicProperties(reference->objectId(), listing.items);
    return true;
}

// The (tag, value) pairs of the reference's attributes, in their order; the tags are offered
// as properties.
PropertyList EngineReader::attributesOf(QxDbBlockReference* reference, std::vector<PropItem>& items) const
{
    PropertyList attributes;
    const std::unique_ptr<QxDbObjectIterator> iterator(reference->attributeIterator());
    for (; iterator && !iterator->done(); iterator->step()) {
        QxDbAttribute* attribute = nullptr;
        if (reference->openAttribute(attribute, iterator->objectId(), QxDb::kForRead) != Qxapp::eOk) continue;
        std::u16string tag, value;
        {
            QxDbObjectCloser<QxDbAttribute> attributeCloser(attribute);
            tag = attribute->tag();
            value = attribute->textString();
        }
        const bool numeric = NormalizeAttributeValue(value, m_engine);
        items.push_back({tag, kCategAttribute, numeric});
        attributes.push_back({std::move(tag), std::move(value)});
    }
    return attributes;
}

void EngineReader::readBlock(QxDbEntity*, QxDbObjectId id, const std::u16string& handle)
{
    QxDbBlockReference* reference = nullptr;
    if (qxdbOpenObject(reference, id, QxDb::kForRead) != Qxapp::eOk) return;
    QxDbObjectCloser<QxDbBlockReference> closer(reference);

    BlockListing listing;
    if (!blockListing(reference, id, listing)) return;
    std::vector<PropItem> attributeItems;
    PropertyList attributes = attributesOf(reference, attributeItems);
    m_engine.seBlockProps.insert(listing.items.begin(), listing.items.end());
    m_engine.seBlockProps.insert(attributeItems.begin(), attributeItems.end());

    const QxGeScale3d scale = reference->scaleFactors();
    BlockEntity record(handle, kTypeBlock, listing.name, listing.isDynamic, reference->blockTableRecord(),
                       round(reference->position()), QxGeScale3d{round(scale.sx), round(scale.sy), round(scale.sz)},
                       round(reference->rotation() / kRadiansPerDegree));
    record.lsAttributs = std::move(attributes);
    record.lsProps = std::move(listing.properties);
    m_engine.lsBlockEnts.push_back(std::move(record));
}

namespace {

// The drawing's linear precision; when it cannot be read, the finest step.
int readLuprec()
{
    qxresbuf value{};
    if (qxedGetVar(u"LUPREC", &value) != QXRT_NORM) return -1;
    switch (value.restype) {
    case QXRT_SHORT: return value.resval.rint;
    case QXRT_LONG: return value.resval.rlong;
    default: return -1;
    }
}

}  // namespace

ExtractionEngine::ExtractionEngine(const qxds_name ss, std::int32_t nLength, const StrHelper& myStrHelper)
    : ExtractionEngine(myStrHelper, readLuprec())
{
    readSelection(ss, nLength, nullptr);
}

ExtractionEngine::ExtractionEngine(const qxds_name ss, std::int32_t nLength, const StrHelper& myStrHelper,
                                   const std::vector<std::u16string>& lsHandles)
    : ExtractionEngine(myStrHelper, readLuprec())
{
    readSelection(ss, nLength, &lsHandles);
}

void ExtractionEngine::readSelection(const qxds_name ss, std::int32_t nLength,
                                     const std::vector<std::u16string>* lsHandles)
{
    const bool bFiltered = lsHandles && !lsHandles->empty() && !lsHandles->front().empty();
    std::unordered_set<std::u16string> wanted;
    if (bFiltered) wanted.insert(lsHandles->begin(), lsHandles->end());

    EngineReader reader(*this);
    for (std::int32_t i = 0; i < nLength; ++i) {
        qxds_name entityName{};
        if (qxedSSName(ss, i, entityName) != QXRT_NORM) continue;
        QxDbObjectId id;
        if (qxdbGetObjectId(id, entityName) != Qxapp::eOk) continue;
        QxDbEntity* entity = nullptr;
        if (qxdbOpenQxDbEntity(entity, id, QxDb::kForRead) != Qxapp::eOk || !entity) continue;
        QxDbObjectCloser<QxDbEntity> closer(entity);

        QxDbHandle dbHandle;
        entity->getQxDbHandle(dbHandle);
        char16_t buffer[17] = {};
        dbHandle.getIntoAsciiBuffer(buffer, 17);
        const std::u16string handle(buffer);
        if (bFiltered && !wanted.count(handle)) continue;
        reader.readObject(entity, id, handle);
    }
}
