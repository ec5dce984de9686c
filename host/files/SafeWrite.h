// Writing a whole file so that it is replaced whole or not at all: the bytes go to a new file
// beside the target (".quenlow-" and a few random letters, short enough beside any legal
// name), which is flushed to the disk and then renamed over the target. On any failure the
// target keeps its bytes and the new file is removed; on POSIX systems it is removed too when
// the program is interrupted or terminated while writing.
//
// The target keeps what the system keeps for a file beside its bytes: its permission bits
// and owner (POSIX), its attributes (Windows). A symbolic link is followed: the file it
// names is replaced and the link stays a link. A read-only file is refused, whoever runs
// (source control keeps files read-only until they are checked out), and so is a file that
// changed since it was read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::host::files {

// What a file held when it was read, to see whether it still holds it.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t hash = 0;

    bool operator==(const FileStamp& other) const = default;
};
FileStamp StampOf(std::string_view bytes);

// The steps of a write that the system can fail (a full disk at Write or Flush, a refused
// rename at Replace). A WriteFault returns the error number (ENOSPC, EACCES, ...) a step
// fails with, or 0 to let it run: tests see through it what a failure leaves behind.
enum class WriteStep { Create, Write, Flush, Replace };
using WriteFault = std::function<int(WriteStep)>;

// The name of the new file starts with this.
inline constexpr std::string_view kTemporaryPrefix = ".quenlow-";

// Refuses, with a FileError naming `label`, a target that cannot be replaced: a read-only
// file, one the user may not write, something other than a file, or (with `unchangedSince`)
// a file that no longer holds what was read. A missing target is fine.
void CheckWritable(const std::filesystem::path& target, const std::string& label,
                   const std::optional<FileStamp>& unchangedSince = std::nullopt);

// Writes `bytes` as the whole of `target` after CheckWritable. A failure is a FileError
// "not written: disk full" (or "permission denied", ...), with the target as it was.
void WriteFileSafely(const std::filesystem::path& target, std::string_view bytes, const std::string& label,
                     const std::optional<FileStamp>& unchangedSince = std::nullopt, const WriteFault& fault = {});

namespace detail {

// The platform's part. Refusal: 0 when an existing `file` may be replaced, kReadOnly,
// kNotAFile, or an error number. ReplaceWhole: 0 when `file` holds `bytes`, else the error
// number, with `file` as it was and no new file left.
inline constexpr int kReadOnly = -1;
inline constexpr int kNotAFile = -2;
int Refusal(const std::filesystem::path& file);
int ReplaceWhole(const std::filesystem::path& file, std::string_view bytes, const WriteFault& fault);

// A name for the new file: kTemporaryPrefix and eight random letters and digits.
std::string TemporaryName();

}  // namespace detail
}  // namespace tolvane::host::files
