#include "output/replacing_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "output/text_codec.h"

std::string NativePath(std::u16string_view path) { return ToUtf8(path); }

namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ReplacingFile::ReplacingFile(std::string targetPath) : m_csTarget(std::move(targetPath)) {}

ReplacingFile::~ReplacingFile()
{
    if (!m_bCommitted) discard();
}

bool ReplacingFile::open()
{
    if (m_csTarget.empty()) return false;
    // Replace what a symbolic link points to, not the link itself.
    std::string target = m_csTarget;
    if (char* resolved = ::realpath(m_csTarget.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }

    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode)) return false;
        m_pFile = std::fopen(target.c_str(), "wb");
        return m_pFile != nullptr;
    }

    // A rename would replace a file its owner made read-only; refuse as opening it would.
    if (exists && ::access(target.c_str(), W_OK) != 0) return false;

    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temp = folderOf(target) + "/." + baseNameOf(target) + "." + std::to_string(::getpid()) + "." +
                           std::to_string(++counter) + ".tmp";
        // 0666 lets the umask decide, as for any new file; an existing file keeps its mode.
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (exists) ::fchmod(fd, info.st_mode & 07777);
        m_pFile = ::fdopen(fd, "wb");
        if (!m_pFile) {
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        m_csTemp = std::move(temp);
        m_csTarget = std::move(target);
        return true;
    }
    return false;
}

bool ReplacingFile::write(std::string_view bytes)
{
    return m_pFile && std::fwrite(bytes.data(), 1, bytes.size(), m_pFile) == bytes.size();
}

bool ReplacingFile::rewind()
{
    if (!m_pFile || m_csTemp.empty() || std::fflush(m_pFile) != 0) return false;
    std::rewind(m_pFile);
    return ::ftruncate(::fileno(m_pFile), 0) == 0;
}

bool ReplacingFile::commit()
{
    if (!m_pFile) return false;
    bool ok = std::fflush(m_pFile) == 0 && !std::ferror(m_pFile);
    if (ok && !m_csTemp.empty()) ok = ::fsync(::fileno(m_pFile)) == 0;
    ok = std::fclose(m_pFile) == 0 && ok;
    m_pFile = nullptr;
    if (ok && !m_csTemp.empty()) ok = std::rename(m_csTemp.c_str(), m_csTarget.c_str()) == 0;
    if (!ok) {
        discard();
        return false;
    }
    m_bCommitted = true;
    return true;
}

void ReplacingFile::discard()
{
    if (m_pFile) std::fclose(m_pFile);
    m_pFile = nullptr;
    if (!m_csTemp.empty()) ::unlink(m_csTemp.c_str());
    m_csTemp.clear();
}
