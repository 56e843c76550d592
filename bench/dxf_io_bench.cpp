// Reading and writing generated drawings of growing size, with plain file reading (what
// `cat FILE > /dev/null` does) as the yardstick. Run by hand:
//   build/dxf_io_bench --benchmark_counters_tabular=true
// Time per entity should stay flat as the drawing grows (linear cost).
#include <benchmark/benchmark.h>

#include "peak_memory.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "cad/dxf/dxf_drawing.h"
#include "cad/dxf/dxf_file.h"
#include "cad/dxf/dxf_writer.h"
#include "database.h"
#include "dxf_drawing_generator.h"

namespace {

namespace fs = std::filesystem;

// One generated file per size, made on first use and removed at exit.
const fs::path& drawingFile(std::size_t entities)
{
    static std::map<std::size_t, fs::path> files;
    static struct Cleanup {
        ~Cleanup()
        {
            for (const auto& [n, path] : files) fs::remove(path);
        }
    } cleanup;
    auto it = files.find(entities);
    if (it != files.end()) return it->second;
    const fs::path path = fs::temp_directory_path() / ("qx-bench-" + std::to_string(entities) + ".dxf");
    const std::string text = qx::bench::DxfDrawingGenerator(42).drawing(entities);
    std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    return files.emplace(entities, path).first->second;
}

void reportSize(benchmark::State& state, std::uintmax_t bytes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["ns/entity"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
    state.counters["peakRSS_MiB"] = PeakMiB();
}

void BM_CatToDevNull(benchmark::State& state)
{
    const fs::path& path = drawingFile(static_cast<std::size_t>(state.range(0)));
    std::vector<char> buffer(1 << 17);
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        ssize_t got;
        std::size_t total = 0;
        while ((got = ::read(fd, buffer.data(), buffer.size())) > 0) total += static_cast<std::size_t>(got);
        ::close(fd);
        benchmark::DoNotOptimize(total);
    }
    reportSize(state, fs::file_size(path));
}

void BM_ReadDrawing(benchmark::State& state)
{
    const fs::path& path = drawingFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        qx::dxf::DxfError error;
        auto file = qx::dxf::DxfFile::read(path.string(), error);
        if (!file) state.SkipWithError(error.text().c_str());
        benchmark::DoNotOptimize(file);
    }
    reportSize(state, fs::file_size(path));
}

void BM_WriteUnchangedDrawing(benchmark::State& state)
{
    const fs::path& path = drawingFile(static_cast<std::size_t>(state.range(0)));
    qx::dxf::DxfError error;
    auto file = qx::dxf::DxfFile::read(path.string(), error);
    if (!file) state.SkipWithError(error.text().c_str());
    const fs::path out = fs::path(path).replace_extension(".out.dxf");
    for (auto _ : state) {
        if (!file) break;
        const bool ok = qx::dxf::saveFileAtomically(out.string(), [&](const qx::dxf::ByteSink& sink) {
            return qx::dxf::writeRecords(*file, {}, sink);
        }, error);
        if (!ok) state.SkipWithError(error.text().c_str());
    }
    fs::remove(out);
    reportSize(state, fs::file_size(path));
}

// Reading into the database: the file's records plus an object per mapped record.
void BM_OpenDrawing(benchmark::State& state)
{
    const fs::path& path = drawingFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        qx::dxf::OpenResult result;
        qx::dxf::DxfError error;
        if (!qx::dxf::openDxf(path.string(), result, error)) state.SkipWithError(error.text().c_str());
        reportSize(state, fs::file_size(path));  // peak memory while the drawing is open
        state.PauseTiming();
        result = {};  // freeing a million objects is not part of opening
        state.ResumeTiming();
    }
}

// Saving an opened drawing: every object's digest is compared, unchanged records are copied.
void BM_SaveDrawing(benchmark::State& state)
{
    const fs::path& path = drawingFile(static_cast<std::size_t>(state.range(0)));
    qx::dxf::OpenResult opened;
    qx::dxf::DxfError error;
    if (!qx::dxf::openDxf(path.string(), opened, error)) {
        state.SkipWithError(error.text().c_str());
        return;
    }
    const fs::path out = fs::path(path).replace_extension(".saved.dxf");
    for (auto _ : state) {
        qx::dxf::SaveResult result;
        if (!qx::dxf::saveDxf(*opened.database, out.string(), result, error)) state.SkipWithError(error.text().c_str());
    }
    fs::remove(out);
    reportSize(state, fs::file_size(path));
}

}  // namespace

BENCHMARK(BM_OpenDrawing)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SaveDrawing)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatToDevNull)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDrawing)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteUnchangedDrawing)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
