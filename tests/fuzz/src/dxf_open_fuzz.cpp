// Feeds arbitrary bytes to the drawing reader that builds database objects, then saves what it
// opened. A drawing that opens must save, and an unchanged one must save as it was read.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cad/dxf/dxf_drawing.h"
#include "database.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qx::dxf;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    OpenResult opened;
    DxfError error;
    if (!openDxfText(bytes, "fuzz.dxf", opened, error)) {
        if (error.message.empty()) std::abort();
        return 0;
    }
    std::string saved;
    SaveResult result;
    if (!writeDxfText(*opened.database, saved, result, error)) std::abort();
    std::string_view expected = bytes;
    if (expected.starts_with("\xEF\xBB\xBF")) expected.remove_prefix(3);
    if (saved != expected) std::abort();
    forgetSource(opened.database.get());
    return 0;
}
