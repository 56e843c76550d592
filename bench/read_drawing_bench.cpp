// Reading a selection of a generated drawing into records and building combined table data.
// Run by hand: build/read_drawing_bench [--benchmark_filter=/1000000]
// Each size is best run in its own process for a meaningful peak memory figure (which
// includes the drawing itself).
#include <benchmark/benchmark.h>

#include "peak_memory.h"

#include <sys/resource.h>

#include <memory>
#include <random>

#include "engine/extraction_engine.h"
#include "host/database.h"
#include "host/editor.h"
#include "module/module_state.h"

namespace {

const char16_t* pick(std::mt19937_64& random, std::initializer_list<const char16_t*> choices)
{
    return *(choices.begin() + random() % choices.size());
}

QxDbObjectId addBlock(QxDbDatabase& db, const char16_t* name)
{
    QxDbBlockTable* blocks = nullptr;
    db.getSymbolTable(blocks, QxDb::kForWrite);
    auto* record = new QxDbBlockTableRecord;
    record->setName(name);
    QxDbObjectId id;
    blocks->add(id, record);
    record->close();
    blocks->close();
    return id;
}

// A seeded drawing of `count` entities of the nine kinds, a few hundred distinct property
// combinations per kind.
std::unique_ptr<QxDbDatabase> makeDrawing(std::size_t count)
{
    auto db = std::make_unique<QxDbDatabase>();
    std::mt19937_64 random(42);
    std::vector<QxDbObjectId> blocks;
    for (const char16_t* name : {u"Door", u"Window", u"Chair", u"Desk"}) blocks.push_back(addBlock(*db, name));
    {
        QxDbLayerTable* layers = nullptr;
        db->getSymbolTable(layers, QxDb::kForWrite);
        for (const char16_t* name : {u"Walls", u"Doors", u"Windows", u"Furniture", u"Electrical"}) {
            auto* layer = new QxDbLayerTableRecord;
            layer->setName(name);
            layers->add(layer);
            layer->close();
        }
        layers->close();
    }
    QxDbBlockTable* table = nullptr;
    db->getSymbolTable(table, QxDb::kForRead);
    QxDbBlockTableRecord* model = nullptr;
    table->getAt(QXDB_MODEL_SPACE, model, QxDb::kForWrite);
    table->close();

    auto size = [&random](int steps) { return 0.5 * double(1 + random() % steps); };
    for (std::size_t i = 0; i < count; ++i) {
        QxDbEntity* entity = nullptr;
        switch (random() % 9) {
        case 0: entity = new QxDbLine({0, 0, 0}, {size(20), 0, 0}); break;
        case 1: {
            auto* pline = new QxDbPolyline;
            const double side = size(10);
            for (unsigned v = 0; v < 4; ++v) pline->addVertexAt(v, {double(v == 1 || v == 2) * side, double(v >= 2) * side});
            pline->setClosed(random() % 2);
            entity = pline;
            break;
        }
        case 2: entity = new QxDbArc({0, 0, 0}, size(3), 0, 0.2617993877991494 * double(1 + random() % 6)); break;
        case 3: entity = new QxDbCircle({0, 0, 0}, size(15)); break;
        case 4: entity = new QxDbSolid; break;
        case 5: entity = new QxDb3dSolid; break;
        case 6: entity = new QxDbPoint({0, 0, 0}); break;
        case 7: {
            auto* text = new QxDbMText;
            text->setContents(pick(random, {u"Kitchen", u"Bath", u"Hall", u"Bedroom"}));
            text->setTextStyle(db->textstyle());
            entity = text;
            break;
        }
        default: {
            auto* reference = new QxDbBlockReference({0, 0, 0}, blocks[random() % blocks.size()]);
            reference->setRotation(1.5707963267948966 * double(random() % 4));
            entity = reference;
            break;
        }
        }
        entity->setLayer(pick(random, {u"0", u"Walls", u"Doors", u"Windows", u"Furniture", u"Electrical"}));
        entity->setColorIndex(random() % 3 == 0 ? 256 : std::uint16_t(1 + random() % 2 * 6));
        model->appendQxDbEntity(entity);
        if (auto* reference = QxDbBlockReference::cast(entity)) {
            for (const auto& [tag, value] : {std::pair{u"MAKER", pick(random, {u"Acme", u"Bolt", u"Core"})},
                                             std::pair{u"PRICE", pick(random, {u"10", u"20", u"35.5", u"80"})}}) {
                auto* attribute = new QxDbAttribute;
                attribute->setTag(tag);
                attribute->setTextString(value);
                QxDbObjectId id;
                reference->appendAttribute(id, attribute);
                attribute->close();
            }
        }
        entity->close();
    }
    model->close();
    return db;
}


void BM_ReadAndBuildCombinedTableData(benchmark::State& state)
{
    AttachModule();
    const std::unique_ptr<QxDbDatabase> db = makeDrawing(std::size_t(state.range(0)));
    qxdbHostApplicationServices()->setWorkingDatabase(db.get());
    const double drawingMegabytes = PeakMiB();
    std::size_t rowsOut = 0;
    for (auto _ : state) {
        qxds_name ss{};
        qxedSSGet(u"A", nullptr, nullptr, nullptr, ss);
        std::int32_t length = 0;
        qxedSSLength(ss, &length);
        ExtractionEngine engine(ss, length, StrHelper());
        qxedSSFree(ss);
        engine.OfferedProperties(engine.strHelper.lsObjNames);
        std::vector<std::u16string> props = {u"Object type", u"Quantity", u"Block name", u"Layer", u"Color",
                                             u"Linetype", u"Length", u"Radius", u"Area", u"Closed", u"Contents",
                                             u"Rotation", u"MAKER", u"PRICE"};
        TableData rows;
        BlockIdMap blockIds;
        engine.BuildTableData(props, true, true, {}, u"", rows, blockIds);
        rowsOut = rows.size();
        benchmark::DoNotOptimize(rows.data());
    }
    qxdbHostApplicationServices()->setWorkingDatabase(nullptr);
    state.SetComplexityN(state.range(0));
    state.counters["rows_out"] = double(rowsOut);
    state.counters["drawing_MB"] = drawingMegabytes;
    state.counters["peak_MiB"] = PeakMiB();
}
BENCHMARK(BM_ReadAndBuildCombinedTableData)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

}  // namespace

BENCHMARK_MAIN();
