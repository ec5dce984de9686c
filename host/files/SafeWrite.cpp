// The parts of the safe write that are the same on every platform: links followed, the
// checks before writing, and what each failure is called.
#include "host/files/SafeWrite.h"

#include <cerrno>
#include <random>
#include <system_error>

#include "host/files/Lexing.h"
#include "host/files/ProjectFiles.h"

namespace tolvane::host::files {
namespace {

namespace fs = std::filesystem;

std::string Reason(int code) {
    switch (code) {
        case ENOSPC: return "disk full";
#ifdef EDQUOT
        case EDQUOT: return "disk quota exceeded";
#endif
        case EACCES:
        case EPERM: return "permission denied";
        case EROFS: return "read-only file system";
        case ENOENT: return "folder not found";
        case EBUSY: return "in use by another program";
        default: return std::generic_category().message(code);
    }
}

// The file a chain of symbolic links ends at (which need not exist yet).
fs::path FollowLinks(fs::path path, const std::string& label) {
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        const auto status = fs::symlink_status(path, error);
        if (error && status.type() != fs::file_type::not_found)
            throw FileError(label, 0, "not written: " + Reason(error.value()));
        if (status.type() != fs::file_type::symlink) return path;
        const fs::path link = fs::read_symlink(path, error);
        if (error) throw FileError(label, 0, "not written: " + Reason(error.value()));
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    throw FileError(label, 0, "not written: too many symbolic links");
}

void Check(const fs::path& file, const std::string& label, const std::optional<FileStamp>& unchangedSince) {
    std::error_code error;
    const bool exists = fs::exists(fs::status(file, error));
    if (error && error != std::errc::no_such_file_or_directory)
        throw FileError(label, 0, "not written: " + Reason(error.value()));
    if (exists) {
        switch (const int refusal = detail::Refusal(file)) {
            case 0: break;
            case detail::kReadOnly:
                throw FileError(label, 0, "is read-only: not written (check it out, or clear its read-only flag, first)");
            case detail::kNotAFile: throw FileError(label, 0, "is not a file: not written");
            default: throw FileError(label, 0, "not written: " + Reason(refusal));
        }
    }
    if (unchangedSince && (!exists || StampOf(detail::ReadFileBytes(file, label)) != *unchangedSince))
        throw FileError(label, 0, "changed since it was read: not written (run the command again)");
}

}  // namespace

FileStamp StampOf(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return {bytes.size(), hash};
}

void CheckWritable(const fs::path& target, const std::string& label, const std::optional<FileStamp>& unchangedSince) {
    Check(FollowLinks(target, label), label, unchangedSince);
}

void WriteFileSafely(const fs::path& target, std::string_view bytes, const std::string& label,
                     const std::optional<FileStamp>& unchangedSince, const WriteFault& fault) {
    const fs::path file = FollowLinks(target, label);
    Check(file, label, unchangedSince);
    if (const int error = detail::ReplaceWhole(file, bytes, fault))
        throw FileError(label, 0, "not written: " + Reason(error));
}

std::string detail::TemporaryName() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937 random{std::random_device{}()};
    std::string name(kTemporaryPrefix);
    for (int i = 0; i < 8; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    return name;
}

}  // namespace tolvane::host::files
