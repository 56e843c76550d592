// Console commands for looking at and changing a drawing: LIST, ERASE, SETPROP and COPY.
#pragma once

namespace qx {

void registerDatabaseBuiltins();

}  // namespace qx
