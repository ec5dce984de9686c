// The safe write on POSIX systems: a new file opened exclusively beside the target, its
// bytes written and synced, the target's mode and owner given to it, then rename(2), which
// replaces the target in one step.
#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "host/files/SafeWrite.h"

namespace tolvane::host::files::detail {
namespace {

namespace fs = std::filesystem;

// The new file's path while it exists, for a signal handler to remove (one write at a time:
// the command line writes its files one after the other).
char gTemporaryPath[4096];
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction gPrevious[std::size(kCleanupSignals)];

extern "C" void RemoveTemporaryAndResignal(int signal) {
    if (gTemporaryPath[0] != '\0') ::unlink(gTemporaryPath);
    for (std::size_t i = 0; i < std::size(kCleanupSignals); ++i)
        if (kCleanupSignals[i] == signal) ::sigaction(signal, &gPrevious[i], nullptr);
    ::raise(signal);
}

// The new file: created exclusively, removed unless it was renamed over the target, and
// removed by the handlers above if the program is interrupted or terminated meanwhile.
class TemporaryFile {
public:
    // 0, or the error number.
    int Create(const fs::path& folder) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = (folder / TemporaryName()).string();
            if (path_.size() >= sizeof gTemporaryPath) return ENAMETOOLONG;
            std::memcpy(gTemporaryPath, path_.c_str(), path_.size() + 1);
            fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) {
                Guard();
                return 0;
            }
            gTemporaryPath[0] = '\0';
            if (errno != EEXIST) return errno;
        }
        return EEXIST;
    }
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty() && !renamed_) ::unlink(path_.c_str());
        if (guarded_) Unguard();
    }
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int Fd() const { return fd_; }
    const std::string& Path() const { return path_; }
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }
    void Renamed() { renamed_ = true; }

private:
    void Guard() {
        struct sigaction handler {};
        handler.sa_handler = RemoveTemporaryAndResignal;
        sigemptyset(&handler.sa_mask);
        for (std::size_t i = 0; i < std::size(kCleanupSignals); ++i)
            ::sigaction(kCleanupSignals[i], &handler, &gPrevious[i]);
        guarded_ = true;
    }
    void Unguard() {
        for (std::size_t i = 0; i < std::size(kCleanupSignals); ++i) ::sigaction(kCleanupSignals[i], &gPrevious[i], nullptr);
        gTemporaryPath[0] = '\0';
    }

    std::string path_;
    int fd_ = -1;
    bool renamed_ = false;
    bool guarded_ = false;
};

int Step(const WriteFault& fault, WriteStep step) { return fault ? fault(step) : 0; }

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// The target's permission bits and owner for the new file (the owner only where the system
// allows it, as for root).
int KeepModeAndOwner(int fd, const fs::path& file) {
    struct stat target {};
    if (::stat(file.c_str(), &target) != 0) return errno == ENOENT ? 0 : errno;
    if (::fchmod(fd, target.st_mode & 07777) != 0) return errno;
    if (::fchown(fd, target.st_uid, target.st_gid) != 0) {
        // not the owner's to give away: the new file is the user's, as an editor's would be
    }
    return 0;
}

// The rename is made durable by syncing the folder; a folder that cannot be opened for it
// still holds the renamed file.
void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

int Refusal(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return errno;
    if (!S_ISREG(info.st_mode)) return kNotAFile;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return kReadOnly;  // even for root
    return ::access(file.c_str(), W_OK) == 0 ? 0 : errno;
}

int ReplaceWhole(const fs::path& file, std::string_view bytes, const WriteFault& fault) {
    const fs::path folder = file.parent_path();
    TemporaryFile temporary;
    int error = Step(fault, WriteStep::Create);
    if (!error) error = temporary.Create(folder);
    if (!error) error = Step(fault, WriteStep::Write);
    if (!error) error = WriteAll(temporary.Fd(), bytes);
    if (!error) error = KeepModeAndOwner(temporary.Fd(), file);
    if (!error) error = Step(fault, WriteStep::Flush);
    if (!error && ::fsync(temporary.Fd()) != 0) error = errno;
    if (!error) error = temporary.Close();
    if (!error) error = Step(fault, WriteStep::Replace);
    if (!error && ::rename(temporary.Path().c_str(), file.c_str()) != 0) error = errno;
    if (error) return error;
    temporary.Renamed();
    SyncFolder(folder);
    return 0;
}

}  // namespace tolvane::host::files::detail

#endif  // !_WIN32
