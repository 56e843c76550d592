// .xlsx export of 1,000,000 rows x 20 columns (plus the header line): rows per second, the
// file's size, and the writer's peak memory over that of the table, which constant-memory
// writing keeps to a small multiple of the file. Run by hand, one process per run:
// build/xlsx_export_bench; QX_BENCH_DIR chooses the folder written to (default /tmp).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "output/xlsx_export.h"
#include "peak_memory.h"
#include "table_generator.h"

namespace {

// A line "Name:  N kB" of /proc/self/status, in MiB; 0 when the system has none.
double StatusMiB(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(name + ":", 0) == 0) return std::stod(line.substr(name.size() + 1)) / 1024.0;
    return 0.0;
}

// Starts the peak resident size (VmHWM) again from the current size, so that the writer's own
// peak is seen rather than the table generator's.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void BM_ExportXlsx(benchmark::State& state)
{
    const std::size_t nRows = 1000000;
    const TableData table = benchtable::Make(nRows, 21);
    std::vector<int> columns, rows;
    for (int c = 1; c < 21; ++c) columns.push_back(c);
    for (std::size_t r = 0; r <= nRows; ++r) rows.push_back(static_cast<int>(r));
    // The generator's number columns (every fifth from 2, and from 4) are numeric.
    XlsxSheetInfo info;
    info.vecNumericCols.assign(21, false);
    for (std::size_t c = 1; c < 21; ++c) info.vecNumericCols[c] = c % 5 == 2 || c % 5 == 4;
    info.csTitle = u"Benchmark";
    const ExportLayout layout = MakeExportLayout(table, std::vector<bool>(21, true), columns, rows, true);
    const double tableMiB = PeakMiB();
    const char* dir = std::getenv("QX_BENCH_DIR");
    const std::string path = std::string(dir ? dir : "/tmp") + "/bench_export.xlsx";

    ResetPeak();
    const double beforeMiB = StatusMiB("VmRSS");
    for (auto _ : state) {
        const auto result = WriteXlsxExport(table, std::u16string(path.begin(), path.end()), layout, info);
        if (!result.bWritten) state.SkipWithError("write failed");
    }
    const double writerMiB = StatusMiB("VmHWM") - beforeMiB;
    const auto bytes = std::filesystem::file_size(path);
    state.counters["rows/s"] = benchmark::Counter(double(nRows + 1) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["file_MB"] = double(bytes) / 1e6;
    state.counters["table_peak_MiB"] = tableMiB;
    state.counters["writer_extra_MiB"] = writerMiB;
    std::filesystem::remove(path);
}
BENCHMARK(BM_ExportXlsx)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
