// What modules have registered, for the host's own HELP.
#pragma once

#include <string>
#include <vector>

namespace qx {

struct CommandInfo {
    std::u16string group, globalName, localName;
};
std::vector<CommandInfo> registeredCommands();

}  // namespace qx
