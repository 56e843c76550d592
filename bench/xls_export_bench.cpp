// Spreadsheet export of a full-height sheet (65,536 rows x 20 columns): rows per second and
// the writer's peak memory over that of the table, against the file's size. Run by hand:
// build/xls_export_bench; QX_BENCH_DIR chooses the folder written to (default /tmp).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "output/xls_export.h"
#include "peak_memory.h"
#include "table_generator.h"

namespace {

// range(0): 0 for extraction-like cells (names and layers repeat), 1 for a distinct text in
// every cell, the string table's worst case.
void BM_ExportXls(benchmark::State& state)
{
    const std::size_t nRows = 65535;  // plus the header line: a full sheet
    TableData table = benchtable::Make(nRows, 21);
    if (state.range(0) == 1) {
        for (std::size_t r = 1; r < table.size(); ++r)
            for (std::size_t c = 1; c < table[r].size(); ++c) {
                std::string text = std::to_string(r);
                text.append(" c").append(std::to_string(c));
                table[r][c].assign(1, u'r').append(text.begin(), text.end());
            }
    }
    std::vector<bool> include(21, true);
    std::vector<int> columns, rows;
    for (int c = 1; c < 21; ++c) columns.push_back(c);
    for (std::size_t r = 0; r <= nRows; ++r) rows.push_back(static_cast<int>(r));
    const double tableMiB = PeakMiB();
    const char* dir = std::getenv("QX_BENCH_DIR");
    const std::string path = std::string(dir ? dir : "/tmp") + "/bench_export.xls";

    for (auto _ : state) {
        const auto result = WriteXlsExport(table, std::u16string(path.begin(), path.end()), include, columns, rows, true, u"en-US");
        if (!result.bWritten) state.SkipWithError("write failed");
    }
    const auto bytes = std::filesystem::file_size(path);
    state.counters["rows/s"] = benchmark::Counter(double(nRows + 1) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["file_MB"] = double(bytes) / 1e6;
    state.counters["table_peak_MiB"] = tableMiB;
    state.counters["writer_extra_MiB"] = PeakMiB() - tableMiB;
    std::filesystem::remove(path);
}
BENCHMARK(BM_ExportXls)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
