#include "output/xls/compound_file.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>

#include "output/replacing_file.h"

namespace {

// Unreferences a GObject at scope end.
template <class T>
struct GObjectRef {
    T* p;
    explicit GObjectRef(T* object) : p(object) {}
    ~GObjectRef()
    {
        if (p) g_object_unref(p);
    }
    GObjectRef(const GObjectRef&) = delete;
    GObjectRef& operator=(const GObjectRef&) = delete;
};

}  // namespace

bool WriteCompoundFile(const std::string& path, const char* streamName,
                       const std::function<bool(const StreamWriter& writer)>& produce)
{
    ReplacingFile file(path);
    if (!file.open()) return false;

    bool ok = true;
    {
        // The sink writes into our stream, which stays ours to commit or discard.
        GObjectRef<GsfOutput> sink(gsf_output_stdio_new_FILE(path.c_str(), file.stream(), TRUE));
        if (!sink.p) return false;
        GObjectRef<GsfOutfile> storage(gsf_outfile_msole_new(sink.p));
        if (!storage.p) return false;
        {
            GObjectRef<GsfOutput> stream(gsf_outfile_new_child(storage.p, streamName, FALSE));
            if (!stream.p) return false;
            ok = produce([&stream](const std::uint8_t* data, std::size_t size) {
                return gsf_output_write(stream.p, size, data) != FALSE;
            });
            ok = gsf_output_close(stream.p) && ok;
        }
        // Closing the storage writes its directory and closes the sink with it.
        ok = gsf_output_close(GSF_OUTPUT(storage.p)) && ok;
        if (!gsf_output_is_closed(sink.p)) ok = gsf_output_close(sink.p) && ok;
        ok = !gsf_output_error(sink.p) && ok;
    }
    return ok && file.commit();
}
