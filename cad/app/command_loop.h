// The command prompt: reads command lines, runs built-ins and registered commands.
#pragma once

namespace qx {

void registerAppBuiltins();  // QUIT and HELP
// Runs commands until end of input or QUIT. A script line that cannot be carried out ends
// the process with exit status 2 (see failInput).
void runCommandLoop();

}  // namespace qx
