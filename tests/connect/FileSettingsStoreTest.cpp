#include "connect/FileSettingsStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/Files.h"

#if defined(__unix__)
#include <csignal>
#include <sys/resource.h>
#endif

namespace tolvane {
namespace {

namespace fs = std::filesystem;

class FileSettingsStoreTest : public ::testing::Test {
protected:
    void WriteFile(const std::string& text) { scratch.Write("settings.txt", text); }
    std::string ReadFile() const { return testing::ReadBytes(path); }
    int FilesInDir() const {
        int count = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++count;
        return count;
    }

    testing::TempDir scratch;
    const fs::path dir = scratch.Path();
    const fs::path path = dir / "settings.txt";
};

TEST_F(FileSettingsStoreTest, MissingFileReadsAsDefault) {
    FileSettingsStore store(path);
    EXPECT_EQ(store.GetSetting("Tolvane", "Settings", "DisplayOnConnect", "0"), "0");
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(FileSettingsStoreTest, RoundTripsValuesAndKeepsOthers) {
    struct Entry {
        std::string application, section, key, value;
    };
    const Entry entries[] = {
        {"Tolvane", "Settings", "DisplayOnConnect", "1"},
        {"Tolvane", "Settings", "Other", ""},
        {"Other App", "Window\\Nested", "Key=With=Equals", "a=b\\c"},
        {"Tolvane", "Settings", "Multi", "line one\r\nline two %41"},
        {"Tolvane", "Unicode", "Name", "Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93"},
    };
    {
        FileSettingsStore store(path);
        for (const auto& e : entries) store.SaveSetting(e.application, e.section, e.key, e.value);
    }
    FileSettingsStore reopened(path);
    for (const auto& e : entries) {
        SCOPED_TRACE(e.key);
        EXPECT_EQ(reopened.GetSetting(e.application, e.section, e.key, "default"), e.value);
    }
    reopened.SaveSetting("Tolvane", "Settings", "DisplayOnConnect", "0");
    EXPECT_EQ(reopened.GetSetting("Tolvane", "Settings", "DisplayOnConnect", "x"), "0");
    EXPECT_EQ(reopened.GetSetting("Tolvane", "Settings", "Multi", "x"), "line one\r\nline two %41");
    EXPECT_EQ(reopened.GetSetting("Tolvane", "Settings", "Absent", "fallback"), "fallback");
    // One value per line, whatever the values hold.
    const std::string text = ReadFile();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
    EXPECT_NE(text.find("Tolvane\\Settings\\DisplayOnConnect=0\n"), std::string::npos);
}

TEST_F(FileSettingsStoreTest, NamesIgnoreCaseValuesDoNot) {
    FileSettingsStore store(path);
    store.SaveSetting("Tolvane", "Settings", "DisplayOnConnect", "1");
    EXPECT_EQ(store.GetSetting("TOLVANE", "settings", "displayonconnect", "0"), "1");
    store.SaveSetting("tolvane", "SETTINGS", "displayOnConnect", "True");
    EXPECT_EQ(store.GetSetting("Tolvane", "Settings", "DisplayOnConnect", "0"), "True");
    store.SaveSetting("Tolvane", "Settings", "\xC3\x89tat", "2");  // letters beyond ASCII too: État
    EXPECT_EQ(store.GetSetting("Tolvane", "Settings", "\xC3\xA9TAT", "0"), "2");
}

TEST_F(FileSettingsStoreTest, HandWrittenFileWithCommentsAndCrLfIsRead) {
    WriteFile("; written by hand\r\n\r\n# another comment\r\nTolvane\\Settings\\DisplayOnConnect=1\r\n");
    FileSettingsStore store(path);
    EXPECT_EQ(store.GetSetting("Tolvane", "Settings", "DisplayOnConnect", "0"), "1");
}

TEST_F(FileSettingsStoreTest, MalformedFileIsAnErrorNamingFileAndLine) {
    struct Case {
        const char* text;
        int line;
        const char* reason;
    };
    const Case cases[] = {
        {"Tolvane\\Settings\\DisplayOnConnect=1\nno equals sign here\n", 2, "expected"},
        {"Tolvane\\Settings=1\n", 1, "expected"},
        {"a\\b\\c\\d=1\n", 1, "expected"},
        {"\n\nTolvane\\Settings\\Key=%4\n", 3, "escape"},
        {"Tolvane\\Settings\\Key=%zz\n", 1, "escape"},
        {"Tolvane\\\\Key=1\n", 1, "empty"},
        {"Tolvane\\Settings\\Key=1\ntolvane\\settings\\KEY=2\n", 2, "twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteFile(c.text);
        FileSettingsStore store(path);
        for (int operation = 0; operation < 2; ++operation) {
            try {
                if (operation == 0)
                    store.GetSetting("Tolvane", "Settings", "Key", "0");
                else
                    store.SaveSetting("Tolvane", "Settings", "Key", "0");
                ADD_FAILURE() << "no error for operation " << operation;
            } catch (const std::runtime_error& e) {
                const std::string what = e.what();
                EXPECT_NE(what.find(path.string()), std::string::npos) << what;
                EXPECT_NE(what.find("line " + std::to_string(c.line)), std::string::npos) << what;
                EXPECT_NE(what.find(c.reason), std::string::npos) << what;
            }
        }
        // A file that could not be understood is not replaced.
        EXPECT_EQ(ReadFile(), c.text);
    }
}

TEST_F(FileSettingsStoreTest, EmptyNamesAreRefused) {
    FileSettingsStore store(path);
    EXPECT_THROW(store.SaveSetting("", "Settings", "Key", "1"), std::runtime_error);
    EXPECT_THROW(store.SaveSetting("Tolvane", "Settings", "", "1"), std::runtime_error);
    EXPECT_THROW(store.GetSetting("Tolvane", "", "Key", "1"), std::runtime_error);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(FileSettingsStoreTest, FailedReplaceLeavesNeitherPartialFileNorTemporary) {
    FileSettingsStore store(path);
    store.SaveSetting("Tolvane", "Settings", "DisplayOnConnect", "1");
    const std::string before = ReadFile();

    // The temporary cannot be created: a directory sits where it would go.
    fs::create_directory(dir / "settings.txt.tmp");
    EXPECT_THROW(store.SaveSetting("Tolvane", "Settings", "DisplayOnConnect", "0"), std::runtime_error);
    EXPECT_EQ(ReadFile(), before);
    fs::remove(dir / "settings.txt.tmp");

    // The rename cannot happen: the target is a directory that is not empty.
    const fs::path blocked = dir / "blocked";
    fs::create_directories(blocked / "inside");
    FileSettingsStore blockedStore(blocked);
    EXPECT_THROW(blockedStore.SaveSetting("Tolvane", "Settings", "DisplayOnConnect", "0"), std::runtime_error);
    EXPECT_FALSE(fs::exists(dir / "blocked.tmp"));
    EXPECT_EQ(FilesInDir(), 2);
}

#if defined(__unix__)
TEST_F(FileSettingsStoreTest, WriteThatRunsOutOfSpaceLeavesTheOldFile) {
    FileSettingsStore store(path);
    store.SaveSetting("Tolvane", "Settings", "DisplayOnConnect", "1");
    const std::string before = ReadFile();

    // A file size limit makes the write itself fail part way, as a full disk would.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        store.SaveSetting("Tolvane", "Settings", "Long", std::string(4096, 'x'));
    } catch (const std::runtime_error&) {
        threw = true;
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_TRUE(threw);
    EXPECT_EQ(ReadFile(), before);
    EXPECT_FALSE(fs::exists(dir / "settings.txt.tmp"));
}
#endif

}  // namespace
}  // namespace tolvane
