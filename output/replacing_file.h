// A file that replaces its target only when it was written completely. The bytes go to a
// temporary file in the target's folder, which is renamed over the target on commit(), so a
// failed write (missing folder, no permission, disk full) never destroys a good file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// A module path (UTF-16) as the bytes the file system expects (UTF-8).
std::string NativePath(std::u16string_view path);

class ReplacingFile {
public:
    explicit ReplacingFile(std::string targetPath);
    ~ReplacingFile();  // discards the temporary file unless committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file. When the target exists and is not a regular file (a
    // device such as /dev/full, a pipe), it is written in place instead: renaming over it
    // would replace the device node.
    bool open();

    // Where the bytes go after open(): the temporary file, or the target written in place. A
    // writer that opens files by name (a library) writes there, and commit() still applies.
    const std::string& writePath() const { return m_csTemp.empty() ? m_csTarget : m_csTemp; }
    bool inPlace() const { return m_csTemp.empty(); }

    // The open stream; writes fail and set its error flag when the disk is full.
    std::FILE* stream() const { return m_pFile; }
    bool write(std::string_view bytes);

    // Starts the file again from its first byte; only a temporary file can be, so false when
    // writing in place.
    bool rewind();

    // Flushes, syncs and closes the stream, then renames the temporary file over the target.
    // False when any write failed: the temporary file is removed and the target untouched.
    bool commit();

private:
    void discard();

    std::string m_csTarget;
    std::string m_csTemp;  // empty when writing in place
    std::FILE* m_pFile = nullptr;
    bool m_bCommitted = false;
};
