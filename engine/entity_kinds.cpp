#include "engine/entity_kinds.h"

#include <array>

#include "engine/extraction_engine.h"
#include "engine/object_reader.h"
#include "host/dbentities.h"

namespace {

template <class DbClass>
bool isA(const QxDbObject* object)
{
    return DbClass::cast(object) != nullptr;
}

template <auto Records>
std::size_t countOf(const ExtractionEngine& engine)
{
    return (engine.*Records).size();
}

template <auto Records>
const GeomEnt* generalAt(const ExtractionEngine& engine, std::size_t position)
{
    return &(engine.*Records)[position];
}

constexpr unsigned kGeneral = CategoryBit(kCategGeneral), kGeometry = CategoryBit(kCategGeometry),
                   kMisc = CategoryBit(kCategMisc), kText = CategoryBit(kCategText);

// No class of one kind derives from another's, so the order of the class tests does not
// matter; the table follows the type codes.
const std::array<EntityKind, 9> kKinds = {{
    {kTypeBlock, isA<QxDbBlockReference>, &StrHelper::blcDatas, kGeneral | kGeometry | kMisc, false,
     &EngineReader::readBlock, countOf<&ExtractionEngine::lsBlockEnts>, nullptr},
    {kTypeLine, isA<QxDbLine>, &StrHelper::lineDatas, kGeneral | kGeometry, true, &EngineReader::readLine,
     countOf<&ExtractionEngine::lsLines>, generalAt<&ExtractionEngine::lsLines>},
    {kTypePolyline, isA<QxDbPolyline>, &StrHelper::pLineDatas, kGeneral | kGeometry | kMisc, true,
     &EngineReader::readPolyline, countOf<&ExtractionEngine::lsPolyLines>,
     generalAt<&ExtractionEngine::lsPolyLines>},
    {kTypeArc, isA<QxDbArc>, &StrHelper::arcDatas, kGeneral | kGeometry, true, &EngineReader::readArc,
     countOf<&ExtractionEngine::lsArcs>, generalAt<&ExtractionEngine::lsArcs>},
    {kTypeCircle, isA<QxDbCircle>, &StrHelper::circleDatas, kGeneral | kGeometry, true, &EngineReader::readCircle,
     countOf<&ExtractionEngine::lsCircles>, generalAt<&ExtractionEngine::lsCircles>},
    {kTypeSolid, isA<QxDbSolid>, nullptr, kGeneral | kGeometry, true, &EngineReader::readSolid,
     countOf<&ExtractionEngine::lsSolids>, generalAt<&ExtractionEngine::lsSolids>},
    // A 3D solid alone brings only the general category: it has no geometry property.
    {kTypeSolid3D, isA<QxDb3dSolid>, nullptr, kGeneral, false, &EngineReader::readSolid3D,
     countOf<&ExtractionEngine::lsSolid3Ds>, generalAt<&ExtractionEngine::lsSolid3Ds>},
    {kTypePoint, isA<QxDbPoint>, &StrHelper::pointDatas, kGeneral | kGeometry, true, &EngineReader::readPoint,
     countOf<&ExtractionEngine::lsPoints>, generalAt<&ExtractionEngine::lsPoints>},
    {kTypeMText, isA<QxDbMText>, &StrHelper::mTextDatas, kGeneral | kGeometry | kText, false,
     &EngineReader::readMText, countOf<&ExtractionEngine::lsMultiTexts>,
     generalAt<&ExtractionEngine::lsMultiTexts>},
}};

}  // namespace

std::span<const EntityKind> EntityKinds() { return kKinds; }

const EntityKind* KindOfCode(std::uint32_t code)
{
    if (code < 1 || code > kKinds.size()) return nullptr;
    return &kKinds[code - 1];
}

const EntityKind* KindOfObject(const QxDbObject* object)
{
    for (const EntityKind& kind : kKinds)
        if (kind.isKind(object)) return &kind;
    return nullptr;
}
