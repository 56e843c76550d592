// Runs the built host as a user would, with a script, and captures what it prints.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/files.h"

namespace qxtest {

struct RunResult {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
};

// Writes `script` to a file and runs `qxcad <arguments> --script <file>`, with `environment`
// (such as "LANG=fr_FR.UTF-8") in front of the command.
inline RunResult runQxcad(const std::string& script, const std::string& arguments = "",
                          const std::string& environment = "")
{
    const auto dir = std::filesystem::temp_directory_path() / "qxcad-tests";
    std::filesystem::create_directories(dir);
    static int counter = 0;
    const auto scriptPath = dir / ("script-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".scr");
    writeFile(scriptPath.string(), script);
    const std::string command = "env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG " + environment + " " +
                                shellQuote(std::string(QX_BUILD_DIR) + "/qxcad") + " " + arguments + " --script " +
                                shellQuote(scriptPath.string());
    RunResult result;
    result.exitCode = runCommand(command, result.output);
    std::filesystem::remove(scriptPath);
    return result;
}

}  // namespace qxtest
