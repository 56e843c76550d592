#include "cad/dxf/dxf_writer.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx::dxf {

void RecordBuilder::appendPair(std::string& out, const WriteStyle& style, int code, std::string_view value)
{
    char digits[12];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, code);
    const std::size_t length = static_cast<std::size_t>(end - digits);
    if (style.paddedCodes && length < 3) out.append(3 - length, ' ');
    out.append(digits, length);
    out += style.crlf ? "\r\n" : "\n";
    out += value;
    out += style.crlf ? "\r\n" : "\n";
}

RecordBuilder& RecordBuilder::raw(int code, std::string_view value)
{
    appendPair(m_text, m_style, code, value);
    return *this;
}

RecordBuilder& RecordBuilder::text(int code, std::u16string_view value)
{
    return raw(code, m_style.encoding.encode(value));
}

RecordBuilder& RecordBuilder::real(int code, double value) { return raw(code, formatReal(value)); }

RecordBuilder& RecordBuilder::integer(int code, std::int64_t value)
{
    // Right-aligned small integers are how most writers print them; readers accept both.
    return raw(code, std::to_string(value));
}

RecordBuilder& RecordBuilder::handle(int code, std::uint64_t value) { return raw(code, formatHandle(value)); }

RecordBuilder& RecordBuilder::point(int code, double x, double y, double z)
{
    real(code, x);
    real(code + 10, y);
    return real(code + 20, z);
}

RecordBuilder& RecordBuilder::pairs(std::string_view text)
{
    m_text += text;
    return *this;
}

bool writeRecords(const DxfFile& file, const DxfEdits& edits, const ByteSink& sink)
{
    const std::string_view text = file.text();
    if (!sink(file.preamble())) return false;
    // `pending` is the start of a stretch of unchanged records not written yet.
    std::size_t pending = file.recordCount() ? file.recordText(0).data() - text.data() : text.size();
    auto flushUpTo = [&](std::size_t record) {
        const std::size_t stop = record < file.recordCount() ? file.recordText(record).data() - text.data()
                                                             : file.text().size() - file.trailer().size();
        const bool ok = stop <= pending || sink(text.substr(pending, stop - pending));
        pending = stop;
        return ok;
    };
    // Walks the explicit edits and the records to rewrite together, in record order.
    auto edit = edits.edits().begin();
    const auto editsEnd = edits.edits().end();
    const std::vector<std::size_t>& lazy = edits.lazy();
    std::size_t nextLazy = 0;
    while (edit != editsEnd || nextLazy < lazy.size()) {
        const std::size_t record = std::min(edit != editsEnd ? edit->first : SIZE_MAX,
                                            nextLazy < lazy.size() ? lazy[nextLazy] : SIZE_MAX);
        if (record > file.recordCount()) break;
        if (!flushUpTo(record)) return false;
        bool replaced = false;
        if (edit != editsEnd && edit->first == record) {
            if (!edit->second.before.empty() && !sink(edit->second.before)) return false;
            if (edit->second.replaced && record < file.recordCount()) {
                if (!edit->second.replacement.empty() && !sink(edit->second.replacement)) return false;
                replaced = true;
            }
            ++edit;
        }
        if (nextLazy < lazy.size() && lazy[nextLazy] == record) {
            if (!replaced && record < file.recordCount()) {
                const std::string rewritten = edits.rewrite(record);
                if (!sink(rewritten)) return false;
                replaced = true;
            }
            ++nextLazy;
        }
        if (replaced) pending += file.recordText(record).size();
    }
    return flushUpTo(file.recordCount()) && sink(file.trailer());
}

namespace {

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool saveFileAtomically(const std::string& path, const std::function<bool(const ByteSink&)>& produce, DxfError& error)
{
    std::string temp = folderOf(path) + "/." + baseName(path) + ".saving-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = {path, 0, std::string("cannot create a file in its folder: ") + std::strerror(errno)};
        return false;
    }
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);
    else ::fchmod(fd, 0644);

    std::FILE* out = ::fdopen(fd, "wb");
    std::string buffer;
    constexpr std::size_t kChunk = 1 << 20;
    buffer.reserve(kChunk);
    int writeErrno = 0;
    auto flush = [&] {
        if (!buffer.empty() && std::fwrite(buffer.data(), 1, buffer.size(), out) != buffer.size()) {
            writeErrno = errno ? errno : EIO;
            return false;
        }
        buffer.clear();
        return true;
    };
    const ByteSink sink = [&](std::string_view bytes) {
        if (buffer.size() + bytes.size() > kChunk && !flush()) return false;
        if (bytes.size() >= kChunk) {
            if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
                writeErrno = errno ? errno : EIO;
                return false;
            }
            return true;
        }
        buffer.append(bytes);
        return true;
    };
    bool ok = out && produce(sink) && flush() && std::fflush(out) == 0 && ::fsync(fd) == 0;
    if (!ok && !writeErrno) writeErrno = errno;
    if (out) {
        if (std::fclose(out) != 0) ok = false;
    } else {
        ::close(fd);
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        writeErrno = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        error = {path, 0, std::string("the drawing was not saved: ") + (writeErrno ? std::strerror(writeErrno) : "write failed") +
                              "; the file on disk is unchanged"};
    }
    return ok;
}

}  // namespace qx::dxf
