// Scratch folders, file bytes and other programs run from a shell, for the tests that write
// files and check them with what a user would open them with.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qxtest {

// A folder of its own, removed with everything in it at the end of its scope.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qxtest-XXXXXX").string();
        m_root = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(m_root); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& root() const { return m_root; }
    std::string file(const std::string& name) const { return (m_root / name).string(); }
    std::u16string wfile(const std::string& name) const
    {
        const std::string narrow = file(name);
        return std::u16string(narrow.begin(), narrow.end());  // ASCII paths in tests
    }
    // How many entries the folder holds: what tells that a save left no temporary file.
    std::size_t entries() const
    {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(m_root), {}));
    }
    // Writes `bytes` to the file `name` of the folder; its path.
    std::string write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }

private:
    std::filesystem::path m_root;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string shellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a shell command; its exit status (-1 when it did not exit) and what it printed on
// standard output, with standard error unless `withErrors` is false.
inline int runCommand(const std::string& command, std::string& output, bool withErrors = true)
{
    output.clear();
    FILE* pipe = popen((command + (withErrors ? " 2>&1" : "")).c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool havePythonModule(const std::string& module)
{
    return std::system(("/usr/bin/python3 -c 'import " + module + "' >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace qxtest
