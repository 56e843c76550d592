// Runs the built host as a user would, with a script, and captures what it prints.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace qxtest {

struct RunResult {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
};

inline std::string shellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Writes `script` to a file and runs `qxcad <arguments> --script <file>`, with `environment`
// (such as "LANG=fr_FR.UTF-8") in front of the command.
inline RunResult runQxcad(const std::string& script, const std::string& arguments = "",
                          const std::string& environment = "")
{
    const auto dir = std::filesystem::temp_directory_path() / "qxcad-tests";
    std::filesystem::create_directories(dir);
    static int counter = 0;
    const auto scriptPath = dir / ("script-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".scr");
    std::ofstream(scriptPath) << script;
    const std::string command = "env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG " + environment + " " +
                                shellQuote(std::string(QX_BUILD_DIR) + "/qxcad") + " " + arguments + " --script " +
                                shellQuote(scriptPath.string()) + " 2>&1";
    RunResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::filesystem::remove(scriptPath);
    return result;
}

}  // namespace qxtest
