#include "cad/dxf/dxf_writer.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx::dxf {

namespace {

constexpr std::string_view kLineBreaking("\r\n\0", 3);

std::string breakingCharacter(std::string_view value)
{
    switch (value[value.find_first_of(kLineBreaking)]) {
    case '\r': return "a carriage return";
    case '\n': return "a line feed";
    default: return "a NUL character";
    }
}

}  // namespace

void RecordBuilder::appendPair(std::string& out, const WriteStyle& style, int code, std::string_view value)
{
    if (value.find_first_of(kLineBreaking) != std::string_view::npos) {
        if (style.refusal) {
            style.refusal->refuse("the value of group code " + std::to_string(code) + " holds " + breakingCharacter(value) +
                                  ", which a drawing file cannot hold there");
            return;
        }
        std::string safe;
        for (char c : value) {
            if (c == '\r' || c == '\n' || c == '\0') safe += '^', safe += static_cast<char>(c + 0x40);
            else safe += c;
        }
        appendPair(out, style, code, safe);
        return;
    }
    appendCheckedPair(out, style, code, value);
}

void RecordBuilder::appendCheckedPair(std::string& out, const WriteStyle& style, int code, std::string_view value)
{
    char digits[12];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, code);
    const std::size_t length = static_cast<std::size_t>(end - digits);
    const std::string_view lineEnd = style.crlf ? "\r\n" : "\n";
    if (style.paddedCodes && length < 3) out.append(3 - length, ' ');
    out.append(digits, length);
    out += lineEnd;
    out += value;
    out += lineEnd;
}

RecordBuilder& RecordBuilder::raw(int code, std::string_view value)
{
    appendPair(m_text, m_style, code, value);
    return *this;
}

RecordBuilder& RecordBuilder::text(int code, std::u16string_view value, TextRole role)
{
    const std::string bytes = m_style.encoding.encode(escapeText(value, role));
    if (role == TextRole::Verbatim && m_style.refusal && bytes.find_first_of(kLineBreaking) != std::string::npos) {
        m_style.refusal->refuse("the name in group code " + std::to_string(code) + " holds " + breakingCharacter(bytes) +
                                ", which a name in a drawing file cannot hold");
        return *this;
    }
    return raw(code, bytes);
}

// Numbers never hold a line break, so they skip the check that every other value needs.
RecordBuilder& RecordBuilder::real(int code, double value)
{
    appendCheckedPair(m_text, m_style, code, realText(value).view());
    return *this;
}

RecordBuilder& RecordBuilder::integer(int code, std::int64_t value)
{
    // Left-aligned: readers accept it as well as the right-aligned form some writers use.
    appendCheckedPair(m_text, m_style, code, integerText(value).view());
    return *this;
}

RecordBuilder& RecordBuilder::handle(int code, std::uint64_t value)
{
    appendCheckedPair(m_text, m_style, code, handleText(value).view());
    return *this;
}

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

// Whether a file or folder may be written. Permission bits are checked as well as access():
// a privileged user passes access() even where every write bit is off, yet a drawing the
// user made read-only must not be replaced.
bool mayWrite(const std::string& path, const struct stat& info)
{
    return ::access(path.c_str(), W_OK) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

// Collects bytes in buffers of a megabyte and writes them to a stream.
class BufferedFile {
public:
    explicit BufferedFile(std::FILE* out) : m_out(out) { m_buffer.reserve(kChunk); }

    bool add(std::string_view bytes)
    {
        if (m_buffer.size() + bytes.size() > kChunk && !flush()) return false;
        if (bytes.size() >= kChunk) return put(bytes);
        m_buffer.append(bytes);
        return true;
    }
    bool flush()
    {
        const bool ok = put(m_buffer);
        m_buffer.clear();
        return ok;
    }
    int writeErrno() const { return m_errno; }

private:
    bool put(std::string_view bytes)
    {
        if (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), m_out) == bytes.size()) return true;
        m_errno = errno ? errno : EIO;
        return false;
    }
    static constexpr std::size_t kChunk = 1 << 20;
    std::FILE* m_out;
    std::string m_buffer;
    int m_errno = 0;
};

std::string notSaved(int writeErrno, std::string_view afterwards)
{
    return std::string("the drawing was not saved: ") + (writeErrno ? std::strerror(writeErrno) : "write failed") +
           std::string(afterwards);
}

// The whole file is made in memory before the target is touched, so that a drawing the writer
// refuses leaves the file as it was; only a failing disk can leave it part written.
bool writeInPlace(const std::string& path, const std::function<bool(const ByteSink&)>& produce, DxfError& error)
{
    std::string bytes;
    if (!produce([&](std::string_view b) {
            bytes += b;
            return true;
        })) {
        error = {path, 0, notSaved(0, "; the file on disk is unchanged")};
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        error = {path, 0, notSaved(errno, "; the file on disk is unchanged")};
        return false;
    }
    // Room for the whole file first: a full disk is found before the first byte is replaced.
    const int reserved = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes.size()));
    if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
        ::close(fd);
        error = {path, 0, notSaved(reserved, "; the file on disk is unchanged")};
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const bool ok = done == bytes.size() && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
    const int writeErrno = ok ? 0 : (errno ? errno : EIO);
    if (::close(fd) != 0 || !ok) {
        error = {path, 0, notSaved(writeErrno, done ? "; the file on disk may be incomplete" : "; the file on disk is unchanged")};
        return false;
    }
    return true;
}

}  // namespace

bool saveFileAtomically(const std::string& path, const std::function<bool(const ByteSink&)>& produce, DxfError& error)
{
    // A symbolic link stays a link: what it points to is replaced.
    std::string target = path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        error = {path, 0, "this is a folder, not a drawing file; the drawing was not saved"};
        return false;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        // Renaming over a device or a pipe would replace the node with a plain file.
        error = {path, 0, "this is not a regular file (a device or a pipe); the drawing was not saved"};
        return false;
    }
    if (exists && !mayWrite(target, existing)) {
        error = {path, 0, "the file is read-only; the drawing was not saved and the file is unchanged"};
        return false;
    }
    // A writable file in a folder that is not: no temporary file can be made beside it, so the
    // file is written in place rather than a save refused that the user may make.
    struct stat folder {};
    const std::string folderPath = folderOf(target);
    if (::stat(folderPath.c_str(), &folder) == 0 && !mayWrite(folderPath, folder)) {
        if (exists) return writeInPlace(target, produce, error);
        error = {path, 0, "cannot create a file in its folder: the folder is read-only; the drawing was not saved"};
        return false;
    }

    std::string temp = folderPath + "/." + baseName(target) + ".saving-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        if (exists && (errno == EACCES || errno == EPERM || errno == EROFS)) return writeInPlace(target, produce, error);
        error = {path, 0, std::string("cannot create a file in its folder: ") + std::strerror(errno)};
        return false;
    }
    if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);
        // The drawing keeps its owner when whoever saves may give it (a privileged user).
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
            (void)::fchown(fd, existing.st_uid, existing.st_gid);
    } else {
        ::fchmod(fd, 0644);
    }

    std::FILE* out = ::fdopen(fd, "wb");
    BufferedFile buffered(out);
    bool ok = out && produce([&](std::string_view bytes) { return buffered.add(bytes); }) && buffered.flush() &&
              std::fflush(out) == 0 && ::fsync(fd) == 0;
    int writeErrno = buffered.writeErrno();
    if (!ok && !writeErrno) writeErrno = errno;
    if (out) {
        if (std::fclose(out) != 0) ok = false;
    } else {
        ::close(fd);
    }
    if (ok && std::rename(temp.c_str(), target.c_str()) != 0) {
        writeErrno = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        error = {path, 0, notSaved(writeErrno, "; the file on disk is unchanged")};
    }
    return ok;
}

}  // namespace qx::dxf
