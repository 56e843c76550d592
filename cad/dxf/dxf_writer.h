// Writing a drawing file: the records of the file that was read, in order and byte for byte,
// with the host's changes applied (records replaced, removed or added).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cad/dxf/dxf_file.h"

namespace qx::dxf {

// A value that cannot be written (a name holding a line break): the save is refused rather
// than a file written that does not open again. The writer says which object it is writing
// before it writes it, so that the message names the object.
struct Refusal {
    std::string object;   // "LAYER 1F"
    std::string message;  // the first value refused; empty while every value could be written
    bool refused() const { return !message.empty(); }
    void refuse(std::string why)
    {
        if (!refused()) message = object.empty() ? std::move(why) : object + ": " + why;
    }
};

// How new pairs look: line ends, group-code alignment and text encoding, normally those of the
// file being written so that new records do not stand out; and where refused values are told.
struct WriteStyle {
    bool crlf = false;
    bool paddedCodes = true;
    TextEncoding encoding = TextEncoding::utf8();
    Refusal* refusal = nullptr;

    static WriteStyle of(const DxfFile& file, Refusal* refusal = nullptr)
    {
        return {file.crlf(), file.paddedCodes(), file.encoding(), refusal};
    }
};

// Builds the text of new pairs.
class RecordBuilder {
public:
    explicit RecordBuilder(const WriteStyle& style) : m_style(style) {}

    // A value already in the file's bytes (a name read from the file, "AcDbEntity").
    RecordBuilder& raw(int code, std::string_view value);
    // Text from the host, escaped for its role and encoded for the file (\U+XXXX where the code
    // page lacks a character).
    RecordBuilder& text(int code, std::u16string_view value, TextRole role);
    // A name (layer, block, style, application, key): written as it is; one holding a line
    // break or NUL is refused.
    RecordBuilder& name(int code, std::u16string_view value) { return text(code, value, TextRole::Verbatim); }
    RecordBuilder& plain(int code, std::u16string_view value) { return text(code, value, TextRole::Plain); }
    RecordBuilder& formatted(int code, std::u16string_view value) { return text(code, value, TextRole::Formatted); }
    RecordBuilder& real(int code, double value);
    RecordBuilder& integer(int code, std::int64_t value);
    RecordBuilder& handle(int code, std::uint64_t value);
    // X, Y and Z at code, code + 10, code + 20.
    RecordBuilder& point(int code, double x, double y, double z);
    // Pairs copied as they are (their own line ends included).
    RecordBuilder& pairs(std::string_view text);

    const WriteStyle& style() const { return m_style; }
    // Appends one pair in the style to any text. A value holding CR, LF or NUL is never
    // written: it is refused through the style's refusal, or, without one, its breaking
    // characters go in caret notation.
    static void appendPair(std::string& out, const WriteStyle& style, int code, std::string_view value);
    const std::string& str() const { return m_text; }
    std::string take() { return std::move(m_text); }
    bool empty() const { return m_text.empty(); }
    // Room for `more` bytes beyond those written, for a caller that knows how much follows.
    void reserveMore(std::size_t more) { m_text.reserve(m_text.size() + more); }

private:
    // Appends a pair whose value is known to hold no line break.
    static void appendCheckedPair(std::string& out, const WriteStyle& style, int code, std::string_view value);

    WriteStyle m_style;
    std::string m_text;
};

// The host's changes to a file, by record index.
class DxfEdits {
public:
    // The record's text becomes `text` (any number of records, or none).
    void replace(std::size_t record, std::string text) { m_edits[record].replacement = std::move(text), m_edits[record].replaced = true; }
    void remove(std::size_t record) { replace(record, {}); }
    // Records added before the given record (the file's record count: before nothing, i.e. at
    // the very end, which a well-formed file never needs).
    void insertBefore(std::size_t record, std::string_view text) { m_edits[record].before += text; }
    // The same, taking the text over where nothing was added there yet: a table's records can
    // be hundreds of megabytes, which must not be copied.
    void insertBefore(std::size_t record, std::string&& text)
    {
        std::string& before = m_edits[record].before;
        if (before.empty()) before = std::move(text);
        else before += text;
    }
    // The record's new text is made by `rewriter` while the file is written, so that a drawing
    // with many changed records never holds all their new texts at once. Records are marked in
    // increasing order; a replace() of the same record wins.
    void rewriteLater(std::size_t record) { m_lazy.push_back(record); }
    void setRewriter(std::function<std::string(std::size_t record)> rewriter) { m_rewriter = std::move(rewriter); }
    bool empty() const { return m_edits.empty() && m_lazy.empty(); }

    struct Edit {
        std::string before;
        bool replaced = false;
        std::string replacement;
    };
    const std::map<std::size_t, Edit>& edits() const { return m_edits; }
    const std::vector<std::size_t>& lazy() const { return m_lazy; }
    std::string rewrite(std::size_t record) const { return m_rewriter ? m_rewriter(record) : std::string(); }

private:
    std::map<std::size_t, Edit> m_edits;
    std::vector<std::size_t> m_lazy;
    std::function<std::string(std::size_t)> m_rewriter;
};

// Receives the bytes of a file being written; returns false when it cannot take them.
using ByteSink = std::function<bool(std::string_view bytes)>;

// Writes the file with the edits applied. Unchanged stretches of records go out as single
// slices of the original text. A byte-order mark is never written: some readers refuse it.
bool writeRecords(const DxfFile& file, const DxfEdits& edits, const ByteSink& sink);

// Writes through a temporary file in the target's folder that is renamed over the target
// only when everything was written and flushed, so a failed save leaves the old file intact.
bool saveFileAtomically(const std::string& path, const std::function<bool(const ByteSink&)>& produce, DxfError& error);

}  // namespace qx::dxf
