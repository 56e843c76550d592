// Opens one drawing into the database and saves it, printing the time of each step and the
// peak memory of the process against the file's size. Run by hand:
//   build/dxf_open_save_once --generate 1000000 /tmp/big.dxf   (writes a generated drawing)
//   build/dxf_open_save_once /tmp/big.dxf                      (opens and saves it)
//   build/dxf_open_save_once --recolour /tmp/big.dxf           (changes every entity first)
// A separate process per step keeps the generator's memory out of the measurement.
#include "peak_memory.h"
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "cad/dxf/dxf_drawing.h"
#include "database.h"
#include "dbsymbols.h"
#include "dxf_drawing_generator.h"

namespace {

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Processor time of the process (user and system), which other load on the machine does not inflate.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}


}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--generate") == 0) {
        const std::string text = qx::bench::DxfDrawingGenerator(42).drawing(std::stoul(argv[2]));
        std::ofstream(argv[3], std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        return 0;
    }
    const bool recolour = argc == 3 && std::strcmp(argv[1], "--recolour") == 0;
    if (argc != 2 && !recolour) {
        std::fprintf(stderr, "usage: %s --generate ENTITIES FILE | %s [--recolour] FILE\n", argv[0], argv[0]);
        return 2;
    }
    const std::string path = argv[argc - 1];
    const double mebibytes = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
    auto start = std::chrono::steady_clock::now();
    double cpu = cpuSeconds();
    qx::dxf::OpenResult opened;
    qx::dxf::DxfError error;
    if (!qx::dxf::openDxf(path, opened, error)) {
        std::fprintf(stderr, "%s\n", error.text().c_str());
        return 1;
    }
    const double open = seconds(start), openCpu = cpuSeconds() - cpu;
    const double peakOpen = PeakMiB();
    if (recolour) {
        // Every model-space entity changed: the worst case for saving, each record regenerated.
        QxDbBlockTableRecord* space = nullptr;
        qxdbOpenObject(space, opened.database->modelSpaceId(), QxDb::kForRead);
        for (QxDbObjectId id : space->entityIds()) {
            QxDbEntity* entity = nullptr;
            if (qxdbOpenObject(entity, id, QxDb::kForWrite) != Qxapp::eOk) continue;
            entity->setColorIndex(1);
            entity->close();
        }
        space->close();
    }
    start = std::chrono::steady_clock::now();
    cpu = cpuSeconds();
    qx::dxf::SaveResult saved;
    const std::string out = path + ".saved.dxf";
    if (!qx::dxf::saveDxf(*opened.database, out, saved, error)) {
        std::fprintf(stderr, "%s\n", error.text().c_str());
        return 1;
    }
    const double save = seconds(start), saveCpu = cpuSeconds() - cpu;
    std::filesystem::remove(out);
    std::printf("file %.1f MiB\nopen %.2f s, %.2f s of processor time (%.0f MiB/s), peak %.0f MiB (%.2f x file)\n"
                "save %.2f s, %.2f s of processor time (%.0f MiB/s), peak %.0f MiB (%.2f x file)\n",
                mebibytes, open, openCpu, mebibytes / openCpu, peakOpen, peakOpen / mebibytes, save, saveCpu,
                mebibytes / saveCpu, PeakMiB(), PeakMiB() / mebibytes);
    return 0;
}
