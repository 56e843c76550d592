#include "cad/dxf/dxf_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>

namespace qx::dxf {

namespace {

constexpr std::uint64_t kProgressStep = 4u << 20;

std::string quoted(std::string_view value)
{
    constexpr std::size_t kShown = 40;
    std::string text = "\"";
    for (char c : value.substr(0, kShown)) text += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
    if (value.size() > kShown) text += "...";
    return text + "\"";
}

// Files that are drawings, but not in a form this reader takes.
bool refuseOtherFormats(std::string_view bytes, std::string& message)
{
    static constexpr char kBinarySentinelTail[] = " Binary DXF\r\n\x1a";  // bytes 7..20, then NUL
    if (bytes.size() >= 22 && std::memcmp(bytes.data() + 7, kBinarySentinelTail, 14) == 0 && bytes[21] == '\0') {
        message = "binary DXF is not supported; save the drawing as ASCII DXF";
        return true;
    }
    static constexpr char kDxbSentinelTail[] = " DXB 1.0\r\n\x1a";  // bytes 7..18, then NUL
    if (bytes.size() >= 20 && std::memcmp(bytes.data() + 7, kDxbSentinelTail, 12) == 0 && bytes[19] == '\0') {
        message = "a DXB file is not a DXF drawing and is not supported";
        return true;
    }
    const std::string_view magic = bytes.substr(0, 4);
    if (bytes.size() >= 6 && (magic == "AC10" || magic == "AC1." || magic == "AC2.")) {
        message = "this is a DWG drawing, not a DXF file; save it as ASCII DXF";
        return true;
    }
    return false;
}

}  // namespace

std::string DxfError::text() const
{
    std::string out = file;
    if (line) out += ", line " + std::to_string(line);
    return out + ": " + message;
}

// Splits the text into pairs once, checking as it goes that the file is a well-formed
// sequence of sections, and records where each record starts.
class DxfFile::Loader {
public:
    Loader(DxfFile& file, DxfError& error, const Progress& progress)
        : m_file(file), m_error(error), m_progress(progress), m_text(file.m_view)
    {
    }

    bool run()
    {
        if (!readFirstLine()) return false;
        enum class State { BeforeFirstSection, Outside, ExpectName, Inside } state = State::BeforeFirstSection;
        std::string_view sectionName;
        std::uint32_t sectionLine = 0;
        Tag tag;
        while (nextPair(tag)) {
            if (tag.code == 0) {
                const std::size_t offset = tag.raw.data() - m_text.data();
                if (state == State::ExpectName) return fail(tag.line, "section name (group code 2) expected after SECTION");
                if (tag.value == "EOF") {
                    if (state == State::Inside)
                        return fail(tag.line, "EOF inside section " + std::string(sectionName) + " (no ENDSEC)");
                    if (state == State::BeforeFirstSection) return fail(tag.line, "not a DXF file: EOF before any section");
                    addRecord(offset, tag);
                    m_file.m_endOfRecords = m_pos;
                    return true;
                }
                if (tag.value == "SECTION") {
                    if (state == State::Inside)
                        return fail(tag.line, "section " + std::string(sectionName) + " is not closed (no ENDSEC) before a new SECTION");
                    addRecord(offset, tag);
                    state = State::ExpectName;
                    sectionLine = tag.line;
                    continue;
                }
                if (state != State::Inside) {
                    if (state == State::BeforeFirstSection)
                        return fail(tag.line, "not a DXF file: it does not begin with a SECTION (found " + quoted(tag.value) + ")");
                    return fail(tag.line, "SECTION or EOF expected, found " + quoted(tag.value));
                }
                addRecord(offset, tag);
                if (tag.value == "ENDSEC") {
                    m_file.m_sections.back().end = m_file.m_records.size() - 1;
                    state = State::Outside;
                }
                continue;
            }
            switch (state) {
            case State::BeforeFirstSection:
                if (tag.code != 999) return fail(tag.line, "not a DXF file: it does not begin with a SECTION");
                break;
            case State::Outside:
                if (tag.code != 999) return fail(tag.line, "group code 0 (SECTION or EOF) expected after ENDSEC");
                break;
            case State::ExpectName:
                if (tag.code != 2) return fail(tag.line, "section name (group code 2) expected after SECTION");
                sectionName = tag.value;
                m_file.m_sections.push_back({std::string(tag.value), m_file.m_records.size() - 1, 0});
                noteUnknownSection(tag.value);
                state = State::Inside;
                break;
            case State::Inside:
                break;
            }
        }
        if (m_failed) return false;
        if (state == State::BeforeFirstSection) return fail(0, "not a DXF file: no SECTION found");
        if (state == State::Inside || state == State::ExpectName)
            return fail(m_line, "the file is truncated: it ends inside section " +
                                    (sectionName.empty() ? std::string("begun at line ") + std::to_string(sectionLine)
                                                         : std::string(sectionName)) + " without ENDSEC and EOF");
        return fail(m_line, "the file is truncated: it ends without EOF");
    }

private:
    bool readFirstLine()
    {
        // Whether new pairs should use CRLF and right-aligned codes, like the file's first pair.
        const std::size_t nl = m_text.find('\n');
        m_file.m_crlf = nl != std::string_view::npos && nl > 0 && m_text[nl - 1] == '\r';
        const std::string_view first = m_text.substr(0, nl == std::string_view::npos ? m_text.size() : nl);
        m_file.m_paddedCodes = first.starts_with(' ');
        return true;
    }

    // The next pair, checked: a group code in range, a value line present, a number where the
    // code needs one. False at the end of the text or on an error (m_failed set).
    bool nextPair(Tag& tag)
    {
        const std::size_t n = m_text.size();
        if (m_pos >= n) return false;
        const std::size_t start = m_pos;
        const char* base = m_text.data();
        std::size_t codeEnd = n;
        tag.line = m_line;
        tag.code = scanGroupCode(m_text, m_pos, codeEnd);
        const std::string_view codeLine = m_text.substr(m_pos, codeEnd - m_pos);
        const bool hasValueLine = codeEnd < n;
        // Blank lines at the very end of a file are common and harmless.
        if (tag.code < 0 && m_text.find_first_not_of(" \t\r\n", m_pos) == std::string_view::npos) return false;
        if (tag.code < 0 || (tag.code > kMaxGroupCode && tag.code != 999)) {
            std::string_view shown = codeLine;
            if (shown.ends_with('\r')) shown.remove_suffix(1);
            fail(m_line, (tag.code < 0 ? "group code expected, found " : "invalid group code ") + quoted(shown));
            return false;
        }
        if (!hasValueLine) {
            fail(m_line, "the file is truncated: group code " + std::to_string(tag.code) + " has no value line");
            return false;
        }
        m_pos = codeEnd + 1;
        const void* nl = m_pos < n ? std::memchr(base + m_pos, '\n', n - m_pos) : nullptr;
        const std::size_t valueEnd = nl ? static_cast<const char*>(nl) - base : n;
        if (m_pos >= n) {
            fail(m_line, "the file is truncated: group code " + std::to_string(tag.code) + " has no value line");
            return false;
        }
        std::size_t valueStop = valueEnd;
        if (valueStop > m_pos && base[valueStop - 1] == '\r') --valueStop;
        tag.value = m_text.substr(m_pos, valueStop - m_pos);
        m_pos = valueEnd < n ? valueEnd + 1 : n;
        tag.raw = m_text.substr(start, m_pos - start);
        m_line += 2;
        if (isNumeric(valueKind(tag.code)) && !looksLikeNumber(tag.value)) {
            fail(tag.line + 1, "group code " + std::to_string(tag.code) + " needs a number, found " + quoted(tag.value));
            return false;
        }
        if (m_progress && m_pos - m_lastProgress >= kProgressStep) {
            m_lastProgress = m_pos;
            m_progress(m_pos, n);
        }
        return true;
    }

    void addRecord(std::size_t offset, const Tag& tag)
    {
        auto [it, added] = m_typeIndex.try_emplace(tag.value, static_cast<std::uint32_t>(m_file.m_types.size()));
        if (added) m_file.m_types.emplace_back(tag.value);
        m_file.m_records.push_back({offset, tag.line, it->second});
    }

    void noteUnknownSection(std::string_view name)
    {
        static constexpr std::string_view kKnown[] = {"HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES",
                                                      "OBJECTS", "ACDSDATA", "THUMBNAILIMAGE"};
        for (auto known : kKnown)
            if (name == known) return;
        m_file.m_warnings.push_back("unknown section " + quoted(name) + " kept as it is");
    }

    bool fail(std::uint32_t line, std::string message)
    {
        if (!m_failed) {
            m_error = {m_file.m_name, line, std::move(message)};
            m_failed = true;
        }
        return false;
    }

    DxfFile& m_file;
    DxfError& m_error;
    const Progress& m_progress;
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::uint32_t m_line = 1;
    std::uint64_t m_lastProgress = 0;
    bool m_failed = false;
    std::unordered_map<std::string_view, std::uint32_t> m_typeIndex;
};

std::unique_ptr<DxfFile> DxfFile::read(const std::string& path, DxfError& error, const Progress& progress)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = {path, 0, std::string("cannot open the file: ") + std::strerror(errno)};
        return nullptr;
    }
    std::string bytes;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        const long size = std::ftell(f);
        std::fseek(f, 0, SEEK_SET);
        if (size > 0) {
            bytes.resize(static_cast<std::size_t>(size));
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
        }
    }
    char chunk[1 << 16];  // whatever the size did not tell (a pipe, a growing file)
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, got);
    const bool failed = std::ferror(f);
    std::fclose(f);
    if (failed) {
        error = {path, 0, "cannot read the file"};
        return nullptr;
    }
    return parse(std::move(bytes), path, error, progress);
}

std::unique_ptr<DxfFile> DxfFile::parse(std::string bytes, std::string name, DxfError& error, const Progress& progress)
{
    std::unique_ptr<DxfFile> file(new DxfFile);
    file->m_name = std::move(name);
    file->m_bytes = std::move(bytes);
    std::string_view view = file->m_bytes;
    if (view.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        error = {file->m_name, 0, "the file is empty"};
        return nullptr;
    }
    std::string refusal;
    if (refuseOtherFormats(view, refusal)) {
        error = {file->m_name, 0, refusal};
        return nullptr;
    }
    if (view.starts_with("\xEF\xBB\xBF")) view.remove_prefix(3);
    // A text drawing has no NUL byte anywhere; one that has is binary data or damaged.
    if (const void* nul = std::memchr(view.data(), '\0', view.size())) {
        const auto at = static_cast<const char*>(nul) - view.data();
        const auto line = static_cast<std::uint32_t>(1 + std::count(view.begin(), view.begin() + at, '\n'));
        error = {file->m_name, line, "not a DXF file: it holds binary data"};
        return nullptr;
    }
    file->m_view = view;
    Loader loader(*file, error, progress);
    if (!loader.run()) return nullptr;
    file->readHeaderFacts();
    if (progress) progress(view.size(), view.size());
    return file;
}

const Section* DxfFile::section(std::string_view name) const
{
    for (const auto& s : m_sections)
        if (s.name == name) return &s;
    return nullptr;
}

std::vector<Tag> DxfFile::headerVariable(std::string_view name) const
{
    std::vector<Tag> values;
    const Section* header = section("HEADER");
    if (!header) return values;
    TagCursor cursor = tags(header->begin);
    Tag tag;
    bool inside = false;
    while (cursor.next(tag)) {
        if (tag.code == 9) {
            if (inside) break;
            inside = tag.value == name;
        } else if (inside) {
            values.push_back(tag);
        }
    }
    return values;
}

int DxfFile::versionNumber() const
{
    if (m_version.size() == 6 && m_version.starts_with("AC")) {
        int n = 0;
        for (char c : m_version.substr(2)) {
            if (c < '0' || c > '9') return 1009;
            n = n * 10 + (c - '0');
        }
        return n;
    }
    return 1009;
}

void DxfFile::readHeaderFacts()
{
    for (const Tag& t : headerVariable("$ACADVER"))
        if (t.code == 1) m_version = std::string(t.value);
    if (versionNumber() >= 1021) {
        m_encoding = TextEncoding::utf8();
        return;
    }
    m_encoding = *TextEncoding::fromCodePageName("ANSI_1252");
    for (const Tag& t : headerVariable("$DWGCODEPAGE")) {
        if (t.code != 3) continue;
        if (auto named = TextEncoding::fromCodePageName(t.value))
            m_encoding = *named;
        else
            m_warnings.push_back("unknown code page " + quoted(t.value) + ": text read as ANSI_1252");
    }
}

}  // namespace qx::dxf
