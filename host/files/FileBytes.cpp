// Reading a whole input file, for both readers. Only regular files are read: a folder,
// FIFO, device or socket is refused by its type before it is opened, and the open itself
// never waits (a FIFO swapped in after the check would otherwise block the read forever).
#include <filesystem>
#include <string>
#include <system_error>

#include "host/files/Lexing.h"
#include "host/files/ProjectFiles.h"

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace tolvane::host::files::detail {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void FailTooLarge(const std::string& label) {
    throw FileError(label, 0, "larger than " + std::to_string(kMaxFileBytes / (1024 * 1024)) +
                                  " MB: not a Visual Basic file");
}

// Refuses what is not a regular file, by its type, without opening it.
void CheckIsRegularFile(const fs::path& file, const std::string& label) {
    std::error_code error;
    const auto status = fs::status(file, error);
    if (status.type() == fs::file_type::not_found) throw FileError(label, 0, "file not found");
    if (error) throw FileError(label, 0, "cannot be opened (" + error.message() + ")");
    switch (status.type()) {
        case fs::file_type::regular: return;
        case fs::file_type::directory: throw FileError(label, 0, "is a folder, not a file");
        case fs::file_type::fifo: throw FileError(label, 0, "is a FIFO (named pipe), not a file");
        case fs::file_type::character:
        case fs::file_type::block: throw FileError(label, 0, "is a device, not a file");
        case fs::file_type::socket: throw FileError(label, 0, "is a socket, not a file");
        default: throw FileError(label, 0, "is not a regular file");
    }
}

#ifndef _WIN32
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};
#endif

}  // namespace

std::string ReadFileBytes(const fs::path& file, const std::string& label) {
    CheckIsRegularFile(file, label);
    std::string bytes;
#ifdef _WIN32
    std::ifstream in(file, std::ios::binary);
    if (!in) throw FileError(label, 0, "cannot be opened");
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxFileBytes) FailTooLarge(label);
    }
    if (in.bad()) throw FileError(label, 0, "read error");
#else
    const Descriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0) throw FileError(label, 0, "cannot be opened (" + std::generic_category().message(errno) + ")");
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) throw FileError(label, 0, "is not a regular file");
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxFileBytes) FailTooLarge(label);
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    while (true) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError(label, 0, "read error (" + std::generic_category().message(errno) + ")");
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > kMaxFileBytes) FailTooLarge(label);
    }
#endif
    return bytes;
}

}  // namespace tolvane::host::files::detail
