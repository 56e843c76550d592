// Scratch folders, file bytes and the outside checkers (Python) for the output tests.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

namespace testfiles {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qxout-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    std::u16string wfile(const std::string& name) const
    {
        const std::string narrow = file(name);
        return std::u16string(narrow.begin(), narrow.end());  // ASCII paths in tests
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline bool HavePythonModule(const std::string& module)
{
    const std::string command = "/usr/bin/python3 -c 'import " + module + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Runs a Python script with arguments; returns its exit status and what it printed.
inline int RunPython(const std::string& script, const std::string& args, std::string& output)
{
    const std::string command = "/usr/bin/python3 -c \"$QX_SCRIPT\" " + args + " 2>&1";
    ::setenv("QX_SCRIPT", script.c_str(), 1);
    output.clear();
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    const std::string target = (dir.path() / std::filesystem::path(workbook).stem()).string() + ".csv";
    const std::string command =
        converter == "ssconvert"
            ? "ssconvert -T Gnumeric_stf:stf_assistant -O 'format=preserve separator=, quoting-mode=auto' '" + source + "' '" + target + "' >/dev/null 2>&1"
            : converter + " --headless --convert-to csv --outdir '" + dir.path().string() + "' '" + source +
                  "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return {};
    std::string csv = ReadBytes(target);
    csv.erase(std::remove(csv.begin(), csv.end(), '\r'), csv.end());
    return csv;
}

}  // namespace testfiles
