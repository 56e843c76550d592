// What the host needs to know of any record without understanding its kind: its handle, its
// owner, its extension dictionary and its extended data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cad/dxf/dxf_file.h"

namespace qx::dxf {

struct RecordHeader {
    std::uint64_t handle = 0;               // 0: the record has none (R12, section markers)
    std::uint64_t owner = 0;                // first 330 outside a 102 group
    bool hasOwner = false;
    std::uint64_t extensionDictionary = 0;  // 360 inside {ACAD_XDICTIONARY
    // Offset in the record's text where its extended data (the first 1001) starts; the record's
    // size when it has none.
    std::size_t xdataOffset = 0;
};

RecordHeader readRecordHeader(const DxfFile& file, std::size_t record);

// Gathers the header from the pairs of a record as someone walks them, so that a reader that
// walks the record anyway need not walk it twice.
class RecordHeaderScan {
public:
    RecordHeaderScan(const DxfFile& file, std::size_t record);
    // Takes the next pair after the record type. False at the start of the extended data,
    // where the header is complete.
    bool see(const Tag& tag);
    // The header, once every pair up to the extended data (or the record's end) was seen.
    const RecordHeader& header() const { return m_header; }

private:
    const char* m_start;
    int m_handleCode;
    bool m_haveHandle = false;
    std::string_view m_group;  // the 102 group we are in, or empty
    RecordHeader m_header;
};

// One value of extended data. Points (1010 to 1013) hold all three coordinates.
struct XValue {
    int code = 0;
    std::u16string text;      // 1000-1005 and 1001 (the application name)
    double point[3] = {0, 0, 0};  // 1010-1013 (x, y, z) and 1040-1042 (point[0])
    std::int64_t integer = 0;     // 1070, 1071

    static XValue string(int code, std::u16string text)
    {
        XValue v;
        v.code = code;
        v.text = std::move(text);
        return v;
    }
    static XValue real(int code, double value)
    {
        XValue v;
        v.code = code;
        v.point[0] = value;
        return v;
    }
    static XValue whole(int code, std::int64_t value)
    {
        XValue v;
        v.code = code;
        v.integer = value;
        return v;
    }
    bool operator==(const XValue& other) const;
};
using XData = std::vector<XValue>;

// Reads the extended data of a record. Strings are decoded (code page, \U+XXXX escapes),
// and a long string that writeXData split is joined again. False with a message naming the
// line when a value is malformed (a point without its Y, an unknown code).
bool readXData(const DxfFile& file, std::size_t record, XData& xdata, DxfError& error);
// The same when the record's header is known already.
bool readXData(const DxfFile& file, std::size_t record, const RecordHeader& header, XData& xdata, DxfError& error);

class RecordBuilder;

// Longest string value the format allows, in bytes of the file's encoding.
inline constexpr std::size_t kMaxStringBytes = 255;
// What other CAD programs accept as the extended data of one object, in bytes.
inline constexpr std::size_t kXDataLimitBytes = 16383;

// Writes extended data. A string longer than the format's 255 bytes is not cut: it is written
// as a list "1002 { / 1000 <marker> / 1000 <piece> ... / 1002 }" that readXData joins back.
// Returns the size the data takes by the format's own count (values and codes), so that the
// caller can warn when it passes kXDataLimitBytes.
std::size_t writeXData(RecordBuilder& out, const XData& xdata);

// The marker that opens a list holding the pieces of one long string.
inline constexpr char16_t kJoinedStringMarker[] = u"QX:JOINED-STRING";

}  // namespace qx::dxf
