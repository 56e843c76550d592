// Feeds arbitrary bytes to the DXF reader. A file it accepts must be written back byte for
// byte, and every pair of every record must be readable through the typed views.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cad/dxf/dxf_file.h"
#include "cad/dxf/dxf_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qx::dxf;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    DxfError error;
    auto file = DxfFile::parse(bytes, "fuzz.dxf", error);
    if (!file) {
        if (error.message.empty()) std::abort();  // every refusal says why
        return 0;
    }
    for (std::size_t i = 0; i < file->recordCount(); ++i) {
        TagCursor cursor = file->tags(i);
        Tag tag;
        while (cursor.next(tag)) {
            double d;
            std::int64_t n;
            std::uint64_t h;
            if (isNumeric(valueKind(tag.code)) && !tag.toDouble(d)) std::abort();  // checked on load
            (void)tag.toInt(n);
            (void)tag.toHandle(h);
            const std::u16string text = file->decode(tag.value);
            (void)file->encoding().encode(text);
        }
    }
    (void)file->headerVariable("$HANDSEED");
    std::string out;
    writeRecords(*file, DxfEdits{}, [&](std::string_view b) {
        out += b;
        return true;
    });
    std::string_view expected = bytes;
    if (expected.starts_with("\xEF\xBB\xBF")) expected.remove_prefix(3);
    if (out != expected) std::abort();
    return 0;
}
