// The safe write on Windows: a new file created beside the target, written and flushed,
// then ReplaceFileW, which keeps the target's attributes, security and creation time (or
// MoveFileExW for a target that does not exist yet).
#ifdef _WIN32

#include <windows.h>

#include <cerrno>

#include "host/files/SafeWrite.h"

namespace tolvane::host::files::detail {
namespace {

namespace fs = std::filesystem;

int ErrorNumber(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        case ERROR_ACCESS_DENIED: return EACCES;
        case ERROR_WRITE_PROTECT: return EROFS;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_FILE_NOT_FOUND: return ENOENT;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_UNABLE_TO_REMOVE_REPLACED: return EBUSY;
        default: return EIO;
    }
}

int Step(const WriteFault& fault, WriteStep step) { return fault ? fault(step) : 0; }

// The new file, deleted unless it took the target's place.
class TemporaryFile {
public:
    int Create(const fs::path& folder) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = folder / TemporaryName();
            handle_ = ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle_ != INVALID_HANDLE_VALUE) return 0;
            if (::GetLastError() != ERROR_FILE_EXISTS) return ErrorNumber(::GetLastError());
        }
        return EEXIST;
    }
    ~TemporaryFile() {
        if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
        if (!path_.empty() && !moved_) ::DeleteFileW(path_.c_str());
    }
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int Write(std::string_view bytes) {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
            DWORD written = 0;
            if (!::WriteFile(handle_, bytes.data(), chunk, &written, nullptr)) return ErrorNumber(::GetLastError());
            bytes.remove_prefix(written);
        }
        return 0;
    }
    int FlushAndClose() {
        const bool flushed = ::FlushFileBuffers(handle_);
        const DWORD error = flushed ? 0 : ::GetLastError();
        ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return flushed ? 0 : ErrorNumber(error);
    }
    int MoveOver(const fs::path& file) {
        const bool exists = ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
        const bool moved = exists ? ::ReplaceFileW(file.c_str(), path_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                                   nullptr, nullptr)
                                  : ::MoveFileExW(path_.c_str(), file.c_str(), MOVEFILE_WRITE_THROUGH);
        if (!moved) return ErrorNumber(::GetLastError());
        moved_ = true;
        return 0;
    }

private:
    fs::path path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool moved_ = false;
};

}  // namespace

int Refusal(const fs::path& file) {
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ErrorNumber(::GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return kNotAFile;
    if (attributes & FILE_ATTRIBUTE_READONLY) return kReadOnly;
    return 0;
}

int ReplaceWhole(const fs::path& file, std::string_view bytes, const WriteFault& fault) {
    TemporaryFile temporary;
    int error = Step(fault, WriteStep::Create);
    if (!error) error = temporary.Create(file.parent_path());
    if (!error) error = Step(fault, WriteStep::Write);
    if (!error) error = temporary.Write(bytes);
    if (!error) error = Step(fault, WriteStep::Flush);
    if (!error) error = temporary.FlushAndClose();
    if (!error) error = Step(fault, WriteStep::Replace);
    if (!error) error = temporary.MoveOver(file);
    return error;
}

}  // namespace tolvane::host::files::detail

#endif  // _WIN32
