// The safe writer: the target is replaced whole or keeps its bytes, keeps its mode, is
// reached through links, and no new file is left beside it whatever fails.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include "host/files/ProjectFiles.h"
#include "host/files/SafeWrite.h"
#include "tests/support/Files.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tolvane::host::files {
namespace {

namespace fs = std::filesystem;
using tolvane::testing::ReadBytes;
using tolvane::testing::TempDir;

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The FileError's problem, or "" when the call wrote.
std::string Problem(const std::function<void()>& write) {
    try {
        write();
        return "";
    } catch (const FileError& error) {
        return error.Problem();
    }
}

TEST(SafeWrite, ReplacesTheWholeFileAndLeavesNothingBesideIt) {
    TempDir dir;
    const std::string longName = std::string(251, 'n') + ".frm";  // 255 bytes, the most a name may have
    for (const std::string& name : {std::string("Form1.frm"), longName}) {
        const fs::path file = dir.Write(name, "old bytes, longer than the new");
        WriteFileSafely(file, "new", name, StampOf("old bytes, longer than the new"));
        EXPECT_EQ(ReadBytes(file), "new");
        WriteFileSafely(dir.Path() / ("new-" + name.substr(4)), "made", "new");
    }
    EXPECT_EQ(Names(dir.Path()).size(), 4u);
}

TEST(SafeWrite, RefusalsLeaveTheFileAsItWas) {
    TempDir dir;
    const fs::path file = dir.Write("Form1.frm", "as read");
    const fs::path folder = dir.Path() / "sub";
    fs::create_directory(folder);
    EXPECT_EQ(Problem([&] { WriteFileSafely(file, "x", "f", StampOf("as read before")); }),
              "changed since it was read: not written (run the command again)");
    EXPECT_EQ(Problem([&] { WriteFileSafely(folder, "x", "f"); }), "is not a file: not written");
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    // Refused whoever runs: root may write a read-only file, but it is checked in.
    EXPECT_EQ(Problem([&] { WriteFileSafely(file, "x", "f", StampOf("as read")); }),
              "is read-only: not written (check it out, or clear its read-only flag, first)");
    EXPECT_EQ(ReadBytes(file), "as read");
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"Form1.frm", "sub"}));
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
}

TEST(SafeWrite, AFailureAtAnyStepKeepsTheTargetAndLeavesNoNewFile) {
    const struct {
        WriteStep step;
        int error;
        const char* problem;
    } cases[] = {
        {WriteStep::Create, EACCES, "not written: permission denied"},
        {WriteStep::Write, ENOSPC, "not written: disk full"},
        {WriteStep::Flush, ENOSPC, "not written: disk full"},
        {WriteStep::Replace, EBUSY, "not written: in use by another program"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const fs::path file = dir.Write("Form1.frm", "kept");
        const WriteFault fault = [&](WriteStep step) { return step == c.step ? c.error : 0; };
        EXPECT_EQ(Problem([&] { WriteFileSafely(file, "lost", "f", StampOf("kept"), fault); }), c.problem);
        EXPECT_EQ(ReadBytes(file), "kept");
        EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"Form1.frm"});
    }
}

#ifndef _WIN32
TEST(SafeWrite, KeepsTheModeAndWritesThroughALink) {
    TempDir dir;
    const fs::path file = dir.Write("real/Form1.frm", "old");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    const fs::path link = dir.Path() / "Form1.frm";
    fs::create_symlink("real/Form1.frm", link);
    WriteFileSafely(link, "new", "Form1.frm", StampOf("old"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(file), "new");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Names(dir.Path() / "real"), std::vector<std::string>{"Form1.frm"});
}

// Killed while writing: the handler removes the new file before the signal ends the program.
TEST(SafeWriteDeathTest, ATerminatedWriteLeavesNoNewFile) {
    TempDir dir;
    const fs::path file = dir.Write("Form1.frm", "kept");
    const WriteFault terminate = [](WriteStep step) {
        if (step == WriteStep::Flush) ::raise(SIGTERM);
        return 0;
    };
    EXPECT_EXIT(WriteFileSafely(file, "lost", "f", std::nullopt, terminate), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(ReadBytes(file), "kept");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"Form1.frm"});
}

TEST(SafeWrite, AFolderThatCannotBeEnteredIsPermissionDenied) {
    if (::geteuid() == 0) GTEST_SKIP() << "root enters every folder";
    TempDir dir;
    const fs::path folder = dir.Path() / "closed";
    fs::create_directory(folder);
    ASSERT_EQ(::chmod(folder.c_str(), 0), 0);
    EXPECT_EQ(Problem([&] { WriteFileSafely(folder / "p.svg", "x", "f"); }), "not written: permission denied");
    ::chmod(folder.c_str(), 0700);
}
#endif

}  // namespace
}  // namespace tolvane::host::files
