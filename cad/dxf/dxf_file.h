// An ASCII drawing file held as its own text, with an index of its records and sections.
// Nothing is copied out of the text: a record is a slice of it, and its pairs are parsed when
// someone asks. That keeps a 100 MB drawing at little more than 100 MB in memory, and lets
// every record the host does not change be written back byte for byte.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/dxf/dxf_encoding.h"
#include "cad/dxf/dxf_tags.h"

namespace qx::dxf {

// Why a file could not be read or written: the file, the line (0 when none applies) and what
// is wrong.
struct DxfError {
    std::string file;
    std::uint32_t line = 0;
    std::string message;
    // "plan.dxf, line 12: group code expected, found "x1""
    std::string text() const;
};

// One section: its SECTION record, the records inside, and its ENDSEC record.
struct Section {
    std::string name;
    std::size_t begin = 0;  // index of the SECTION record
    std::size_t end = 0;    // index of the ENDSEC record
};

class DxfFile {
public:
    // Called now and then while a large file is read, with bytes done and bytes in all.
    using Progress = std::function<void(std::uint64_t done, std::uint64_t total)>;

    // Reads and checks a file. On failure returns null and says why in `error`.
    static std::unique_ptr<DxfFile> read(const std::string& path, DxfError& error, const Progress& progress = {});
    // The same on text already in memory; `name` is used in messages.
    static std::unique_ptr<DxfFile> parse(std::string bytes, std::string name, DxfError& error,
                                          const Progress& progress = {});

    const std::string& name() const { return m_name; }
    // The text the records view (a leading byte-order mark removed).
    std::string_view text() const { return m_view; }
    // Comment pairs before the first section, and whatever follows EOF.
    std::string_view preamble() const { return m_view.substr(0, recordOffset(0)); }
    std::string_view trailer() const { return m_view.substr(m_endOfRecords); }

    std::size_t recordCount() const { return m_records.size(); }
    std::string_view recordText(std::size_t i) const
    {
        return m_view.substr(m_records[i].offset, recordOffset(i + 1) - m_records[i].offset);
    }
    std::string_view recordType(std::size_t i) const { return m_types[m_records[i].type]; }
    std::uint32_t recordLine(std::size_t i) const { return m_records[i].line; }
    TagCursor tags(std::size_t i) const { return TagCursor(recordText(i), m_records[i].line); }

    const std::vector<Section>& sections() const { return m_sections; }
    const Section* section(std::string_view name) const;

    // The pairs that follow "9 <name>" in the header, up to the next variable; empty when the
    // header does not have the variable.
    std::vector<Tag> headerVariable(std::string_view name) const;
    // $ACADVER, "AC1009" when the file has no header.
    const std::string& version() const { return m_version; }
    // The version as a number (1009, 1015, ... 1032) for comparisons.
    int versionNumber() const;
    const TextEncoding& encoding() const { return m_encoding; }
    std::u16string decode(std::string_view raw) const { return m_encoding.decode(raw); }

    // How new pairs are written so that they look like the file's own: CRLF or LF, and group
    // codes right-aligned in three columns or not.
    bool crlf() const { return m_crlf; }
    bool paddedCodes() const { return m_paddedCodes; }

    // Things the reader accepted but the user may want to know (an unknown code page...).
    const std::vector<std::string>& warnings() const { return m_warnings; }

private:
    struct RecordSpan {
        std::uint64_t offset;  // of its code-0 line in the text
        std::uint32_t line;
        std::uint32_t type;  // index into m_types
    };
    class Loader;

    DxfFile() = default;
    std::size_t recordOffset(std::size_t i) const
    {
        return i < m_records.size() ? m_records[i].offset : m_endOfRecords;
    }
    void readHeaderFacts();

    std::string m_name;
    std::string m_bytes;
    std::string_view m_view;
    std::vector<RecordSpan> m_records;
    std::vector<std::string> m_types;
    std::vector<Section> m_sections;
    std::size_t m_endOfRecords = 0;
    std::string m_version = "AC1009";
    TextEncoding m_encoding = TextEncoding::utf8();
    bool m_crlf = false;
    bool m_paddedCodes = true;
    std::vector<std::string> m_warnings;
};

}  // namespace qx::dxf
