// Row orders, a full disk and the outside checkers (Python, spreadsheet programs) for the output tests.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "support/files.h"

namespace testfiles {

using qxtest::havePythonModule;
using qxtest::readFile;
using qxtest::TempDir;
using qxtest::writeFile;

// Every row index of a table of `count` rows, in order: the preview's order when nothing was sorted.
inline std::vector<int> AllRows(std::size_t count)
{
    std::vector<int> rows(count);
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

// What `write` returns when the disk fills up after 64 KiB of any file it writes.
inline bool WriteOnAFullDisk(const std::function<bool()>& write)
{
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool written = write();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    return written;
}

// Runs a Python script with arguments; returns its exit status and what it printed.
inline int RunPython(const std::string& script, const std::string& args, std::string& output)
{
    ::setenv("QX_SCRIPT", script.c_str(), 1);
    return qxtest::runCommand("/usr/bin/python3 -c \"$QX_SCRIPT\" " + args, output);
}

// The first spreadsheet program installed that converts a workbook to CSV, empty when none is.
inline std::string SpreadsheetConverter()
{
    for (const char* program : {"ssconvert", "libreoffice", "soffice"})
        if (std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0) return program;
    return {};
}

// The workbook's first sheet as `converter` shows its cells (formatted, not raw values), in
// CSV without carriage returns; empty when the conversion failed.
inline std::string ConvertedToCsv(const std::string& converter, const TempDir& dir, const std::string& workbook)
{
    const std::string source = dir.file(workbook);
    const std::string target = (dir.root() / std::filesystem::path(workbook).stem()).string() + ".csv";
    const std::string command =
        converter == "ssconvert"
            ? "ssconvert -T Gnumeric_stf:stf_assistant -O 'format=preserve separator=, quoting-mode=auto' '" + source + "' '" + target + "' >/dev/null 2>&1"
            : converter + " --headless --convert-to csv --outdir '" + dir.root().string() + "' '" + source +
                  "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return {};
    std::string csv = readFile(target);
    csv.erase(std::remove(csv.begin(), csv.end(), '\r'), csv.end());
    return csv;
}

}  // namespace testfiles
