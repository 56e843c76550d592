// Building combined table data from entity records for large mixed selections.
// Run by hand: build/table_data_bench [--benchmark_filter=/1000000]
// Each size is best run in its own process for a meaningful peak memory figure.
#include <benchmark/benchmark.h>

#include "peak_memory.h"

#include <sys/resource.h>

#include <random>
#include <string>

#include "engine/extraction_engine.h"
#include "engine/number_text.h"
#include "module/module_state.h"

namespace {

std::u16string hexText(std::uint64_t value)
{
    static const char16_t digits[] = u"0123456789ABCDEF";
    std::u16string text;
    do {
        text.insert(text.begin(), digits[value % 16]);
        value /= 16;
    } while (value);
    return text;
}

std::u16string pick(std::mt19937_64& random, std::initializer_list<const char16_t*> choices)
{
    return *(choices.begin() + random() % choices.size());
}

// A seeded mix of the nine kinds. Each kind draws its values from a few small pools, so
// that a few hundred distinct property combinations exist per kind.
ExtractionEngine makeEngine(std::size_t count)
{
    ExtractionEngine engine(StrHelper(), 2);
    std::mt19937_64 random(42);
    auto common = [&random] {
        CommonProps props;
        props.layer = pick(random, {u"0", u"Walls", u"Doors", u"Windows", u"Furniture", u"Electrical"});
        props.color = pick(random, {u"ByLayer", u"1", u"7"});
        props.linetypeScale = 1;
        props.thickness = 0;
        props.lineWeight = u"ByLayer";
        props.plotStyle = u"ByLayer";
        props.linetype = pick(random, {u"ByLayer", u"Continuous"});
        return props;
    };
    auto size = [&random](int steps) { return 0.5 * double(1 + random() % steps); };
    for (std::size_t i = 0; i < count; ++i) {
        const std::u16string handle = hexText(0x100 + i);
        switch (random() % 9) {
        case 0: {
            const double length = size(20);
            engine.lsLines.emplace_back(handle, kTypeLine, u"Line", common(), 0, length, 0, 0, QxGePoint3d{},
                                        QxGePoint3d{length, 0, 0}, length);
            break;
        }
        case 1:
            engine.lsPolyLines.emplace_back(handle, kTypePolyline, u"Polyline", common(), size(10), 0, size(10),
                                            int(random() % 2), 0);
            break;
        case 2:
            engine.lsArcs.emplace_back(handle, kTypeArc, u"Arc", common(), size(5), 0, 15.0 * double(random() % 6),
                                       QxGePoint3d{}, size(4), size(3));
            break;
        case 3: {
            const double radius = size(15);
            engine.lsCircles.emplace_back(handle, kTypeCircle, u"Circle", common(), radius * radius * 3.14159,
                                          QxGePoint3d{}, radius, radius * 6.28319);
            break;
        }
        case 4: engine.lsSolids.emplace_back(handle, kTypeSolid, u"Solid", common()); break;
        case 5: {
            Solid3D solid(handle, kTypeSolid3D, u"3D Solid", common());
            solid.hasThickness = false;
            engine.lsSolid3Ds.push_back(std::move(solid));
            break;
        }
        case 6: engine.lsPoints.emplace_back(handle, kTypePoint, u"Point", common(), QxGePoint3d{}); break;
        case 7: {
            MultiText text(handle, kTypeMText, u"MText", common(), QxGePoint3d{},
                           pick(random, {u"Kitchen", u"Bath", u"Hall", u"Bedroom"}), 1, 1, 0, 2.5, 0, false, 1, 1,
                           u"Standard", 4.16667);
            text.hasThickness = false;
            engine.lsMultiTexts.push_back(std::move(text));
            break;
        }
        default: {
            BlockEntity block(handle, kTypeBlock, pick(random, {u"Door", u"Window", u"Chair", u"Desk"}), false,
                              QxDbObjectId(), QxGePoint3d{}, QxGeScale3d{}, 90.0 * double(random() % 4));
            block.lsAttributs = {{u"MAKER", pick(random, {u"Acme", u"Bolt", u"Core"})},
                                 {u"PRICE", FormatG(double(10 * (1 + random() % 8)))}};
            engine.seBlockProps.insert({u"MAKER", kCategAttribute, false});
            engine.seBlockProps.insert({u"PRICE", kCategAttribute, true});
            engine.lsBlockEnts.push_back(std::move(block));
            break;
        }
        }
    }
    return engine;
}


void BM_BuildCombinedTableData(benchmark::State& state)
{
    AttachModule();
    ExtractionEngine engine = makeEngine(std::size_t(state.range(0)));
    engine.OfferedProperties(engine.strHelper.lsObjNames);
    std::size_t rowsOut = 0;
    for (auto _ : state) {
        std::vector<std::u16string> props = {u"Object type", u"Quantity", u"Block name", u"Layer", u"Color",
                                             u"Linetype", u"Length", u"Radius", u"Area", u"Closed", u"Contents",
                                             u"Rotation", u"MAKER", u"PRICE"};
        TableData rows;
        BlockIdMap blockIds;
        engine.BuildTableData(props, true, true, {}, u"", rows, blockIds);
        rowsOut = rows.size();
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetComplexityN(state.range(0));
    state.counters["rows_out"] = double(rowsOut);
    state.counters["peak_MiB"] = PeakMiB();
}
BENCHMARK(BM_BuildCombinedTableData)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

}  // namespace

BENCHMARK_MAIN();
