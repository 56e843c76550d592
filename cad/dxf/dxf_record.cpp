#include "cad/dxf/dxf_record.h"

#include <algorithm>
#include <cctype>

#include "cad/dxf/dxf_writer.h"

namespace qx::dxf {

RecordHeaderScan::RecordHeaderScan(const DxfFile& file, std::size_t record)
    : m_start(file.recordText(record).data()), m_handleCode(file.recordType(record) == "DIMSTYLE" ? 105 : 5)
{
    m_header.xdataOffset = file.recordText(record).size();
}

bool RecordHeaderScan::see(const Tag& tag)
{
    if (tag.code == 1001) {
        m_header.xdataOffset = static_cast<std::size_t>(tag.raw.data() - m_start);
        return false;
    }
    if (tag.code == 102) {
        m_group = tag.value.starts_with('{') ? tag.value : std::string_view();
    } else if (tag.code == m_handleCode && !m_haveHandle) {
        m_haveHandle = tag.toHandle(m_header.handle);
    } else if (tag.code == 330 && m_group.empty() && !m_header.hasOwner) {
        m_header.hasOwner = tag.toHandle(m_header.owner);
    } else if (tag.code == 360 && m_group == "{ACAD_XDICTIONARY") {
        tag.toHandle(m_header.extensionDictionary);
    }
    return true;
}

RecordHeader readRecordHeader(const DxfFile& file, std::size_t record)
{
    RecordHeaderScan scan(file, record);
    TagCursor cursor = file.tags(record);
    Tag tag;
    cursor.next(tag);  // the record type
    while (cursor.next(tag) && scan.see(tag)) {
    }
    return scan.header();
}

bool XValue::operator==(const XValue& other) const
{
    return code == other.code && text == other.text && point[0] == other.point[0] && point[1] == other.point[1] &&
           point[2] == other.point[2] && integer == other.integer;
}

namespace {

bool isPointCode(int code) { return code >= 1010 && code <= 1013; }

// Replaces each list "{ marker piece... }" by the one string it stands for.
void joinLongStrings(XData& xdata)
{
    XData joined;
    joined.reserve(xdata.size());
    for (std::size_t i = 0; i < xdata.size(); ++i) {
        const XValue& v = xdata[i];
        if (v.code == 1002 && v.text == u"{" && i + 1 < xdata.size() && xdata[i + 1].code == 1000 &&
            xdata[i + 1].text == kJoinedStringMarker) {
            std::size_t k = i + 2;
            std::u16string whole;
            while (k < xdata.size() && xdata[k].code == 1000) whole += xdata[k++].text;
            if (k < xdata.size() && xdata[k].code == 1002 && xdata[k].text == u"}") {
                joined.push_back(XValue::string(1000, std::move(whole)));
                i = k;
                continue;
            }
        }
        joined.push_back(v);
    }
    xdata = std::move(joined);
}

}  // namespace

bool readXData(const DxfFile& file, std::size_t record, XData& xdata, DxfError& error)
{
    return readXData(file, record, readRecordHeader(file, record), xdata, error);
}

bool readXData(const DxfFile& file, std::size_t record, const RecordHeader& header, XData& xdata, DxfError& error)
{
    xdata.clear();
    const std::string_view text = file.recordText(record);
    if (header.xdataOffset >= text.size()) return true;
    const std::uint32_t firstLine =
        file.recordLine(record) + static_cast<std::uint32_t>(std::count(text.begin(), text.begin() + header.xdataOffset, '\n'));
    TagCursor cursor(text.substr(header.xdataOffset), firstLine);
    Tag tag;
    auto fail = [&](std::uint32_t line, std::string message) {
        error = {file.name(), line, std::move(message)};
        return false;
    };
    while (cursor.next(tag)) {
        XValue v;
        v.code = tag.code;
        if (tag.code == 1000 || tag.code == 1001 || tag.code == 1003) {
            v.text = file.decode(tag.value);
        } else if (tag.code == 1002 || tag.code == 1004 || tag.code == 1005) {
            v.text = utf8ToUtf16(tag.value);  // braces, hex digits: ASCII
        } else if (isPointCode(tag.code)) {
            if (!tag.toDouble(v.point[0])) return fail(tag.line + 1, "extended data: a number is required");
            TagCursor look = cursor;
            Tag next;
            for (int axis = 1; axis < 3; ++axis) {
                look = cursor;
                if (!look.next(next) || next.code != tag.code + 10 * axis) {
                    if (axis == 1) return fail(tag.line, "extended data: point " + std::to_string(tag.code) + " has no Y value");
                    break;  // Z may be left out
                }
                next.toDouble(v.point[axis]);
                cursor = look;
            }
        } else if (tag.code >= 1040 && tag.code <= 1042) {
            tag.toDouble(v.point[0]);
        } else if (tag.code == 1070 || tag.code == 1071) {
            tag.toInt(v.integer);
        } else {
            continue;  // not extended data; the record keeps it in its text
        }
        xdata.push_back(std::move(v));
    }
    joinLongStrings(xdata);
    for (XValue& v : xdata)
        if (v.code == 1000) decodeCaretNotation(v.text);
    return true;
}

namespace {

// Splits an encoded string into pieces of at most kMaxStringBytes, never inside a character,
// a \U+XXXX escape or a caret pair: readers that decode each piece alone must see whole ones.
std::vector<std::string> encodedPieces(std::string_view bytes)
{
    auto tokenLength = [&](std::size_t i) -> std::size_t {
        const auto b = static_cast<unsigned char>(bytes[i]);
        auto hex = [&](std::size_t k) { return k < bytes.size() && std::isxdigit(static_cast<unsigned char>(bytes[k])); };
        if (bytes.substr(i, 3) == "\\U+" && hex(i + 3) && hex(i + 4) && hex(i + 5) && hex(i + 6)) return 7;
        if (b == '^' && i + 1 < bytes.size() && static_cast<unsigned char>(bytes[i + 1]) < 0x80) return 2;
        std::size_t n = 1;
        if (b >= 0xC0)
            while (n < 4 && i + n < bytes.size() && (static_cast<unsigned char>(bytes[i + n]) & 0xC0) == 0x80) ++n;
        return n;
    };
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = tokenLength(i);
        if (pieces.back().size() + n > kMaxStringBytes) pieces.emplace_back();
        pieces.back() += bytes.substr(i, n);
        i += n;
    }
    return pieces;
}

}  // namespace

std::size_t writeXData(RecordBuilder& out, const XData& xdata)
{
    // The size count follows the binary form: a 2-byte code per value, strings with a length
    // prefix, numbers at their width.
    std::size_t size = 0;
    const TextEncoding& encoding = out.style().encoding;
    for (const XValue& v : xdata) {
        size += 2;
        switch (v.code) {
        case 1000:
        case 1003: {
            // Strings in caret notation; a layer name (1003) is a name, written as it is.
            const TextRole role = v.code == 1000 ? TextRole::Plain : TextRole::Verbatim;
            const std::u16string escaped = escapeText(v.text, role);
            const std::string bytes = encoding.encode(escaped);
            if (bytes.size() <= kMaxStringBytes) {
                out.text(v.code, escaped, TextRole::Verbatim);
                size += 2 + bytes.size();
                break;
            }
            out.raw(1002, "{").name(1000, kJoinedStringMarker);
            size += 1 + 2 + 2 + std::char_traits<char16_t>::length(kJoinedStringMarker);
            for (const std::string& piece : encodedPieces(bytes)) {
                out.raw(1000, piece);
                size += 2 + 2 + piece.size();
            }
            out.raw(1002, "}");
            size += 2 + 1;
            break;
        }
        case 1001:
            out.name(1001, v.text);
            size += 2;
            break;
        case 1002:
        case 1004:
        case 1005:
            out.name(v.code, v.text);
            size += v.code == 1002 ? 1 : v.code == 1005 ? 8 : 1 + v.text.size() / 2;
            break;
        case 1010:
        case 1011:
        case 1012:
        case 1013:
            out.point(v.code, v.point[0], v.point[1], v.point[2]);
            size += 24;
            break;
        case 1040:
        case 1041:
        case 1042:
            out.real(v.code, v.point[0]);
            size += 8;
            break;
        case 1070:
            out.integer(v.code, v.integer);
            size += 2;
            break;
        case 1071:
            out.integer(v.code, v.integer);
            size += 4;
            break;
        default:
            size -= 2;
            break;
        }
    }
    return size;
}

}  // namespace qx::dxf
