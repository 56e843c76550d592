// CSV export of a large table: rows per second, bytes per second and the writer's own peak
// memory over that of the table. Run by hand: build/csv_export_bench [--benchmark_...];
// QX_BENCH_DIR chooses the folder written to (default /tmp).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "output/csv_export.h"
#include "peak_memory.h"
#include "table_generator.h"

namespace {

std::u16string benchPath(const char* name)
{
    const char* dir = std::getenv("QX_BENCH_DIR");
    const std::string path = std::string(dir ? dir : "/tmp") + "/" + name;
    return std::u16string(path.begin(), path.end());
}

void BM_ExportCsv(benchmark::State& state)
{
    const auto nRows = static_cast<std::size_t>(state.range(0));
    const TableData table = benchtable::Make(nRows, 20);
    std::vector<bool> include(20, true);
    std::vector<int> columns, rows;
    for (int c = 1; c < 20; ++c) columns.push_back(c);
    for (std::size_t r = 0; r <= nRows; ++r) rows.push_back(static_cast<int>(r));
    const double tableMiB = PeakMiB();
    const std::u16string path = benchPath("bench_export.csv");
    const std::u16string language = state.range(1) ? u"fr-FR" : u"en-US";

    for (auto _ : state) {
        if (!WriteCsvExport(table, path, include, columns, rows, true, u",", language)) state.SkipWithError("write failed");
    }
    const std::string narrow(path.begin(), path.end());
    const auto bytes = std::filesystem::file_size(narrow);
    state.counters["rows/s"] = benchmark::Counter(double(nRows + 1) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["MB/s"] = benchmark::Counter(double(bytes) * state.iterations() / 1e6, benchmark::Counter::kIsRate);
    state.counters["file_MB"] = double(bytes) / 1e6;
    state.counters["table_peak_MiB"] = tableMiB;
    state.counters["writer_extra_MiB"] = PeakMiB() - tableMiB;
    std::filesystem::remove(narrow);
}
BENCHMARK(BM_ExportCsv)->Args({1'000'000, 0})->Args({1'000'000, 1})->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
