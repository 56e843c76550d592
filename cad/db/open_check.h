// The check the command loop runs after every command: nothing may stay open.
#pragma once

#include <cstddef>

class QxDbDatabase;

namespace qx {

// Prints "N object(s) left open: ..." on the command line when objects of the working
// database are still open, and returns how many.
std::size_t reportOpenObjects();
std::size_t reportOpenObjects(const QxDbDatabase& database);

}  // namespace qx
