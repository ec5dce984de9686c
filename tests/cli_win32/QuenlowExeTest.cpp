// quenlow.exe started as a user's shell starts it: once with its output redirected to pipes
// (the bytes must be UTF-8, exactly those of the Linux build) and once writing into a console
// screen buffer that the test then reads back character by character (names beyond the
// console's code page must show as themselves). Exit statuses as documented.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "tolvane/Version.h"
#include "winapi/Text.h"

namespace {

using tolvane::winapi::Utf8ToWide;

struct Outcome {
    DWORD status = 0;
    std::string out;  // bytes
    std::string err;
};

std::wstring CommandLine(const std::vector<std::string>& args) {
    std::wstring line = std::wstring(L"\"") + TOLVANE_QUENLOW_EXE + L"\"";
    for (const auto& arg : args) line += L" \"" + Utf8ToWide(arg) + L"\"";  // no quotes inside our cases
    return line;
}

bool Start(std::wstring line, HANDLE in, HANDLE out, HANDLE err, PROCESS_INFORMATION& process) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    return true;
}

DWORD Finish(PROCESS_INFORMATION& process) {
    DWORD status = 0xFFFFFFFF;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    return status;
}

std::string Drain(HANDLE pipe) {
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}

// Output redirected to pipes, as `quenlow ... > file` or `| more` gives it.
Outcome RunRedirected(const std::vector<std::string>& args) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    EXPECT_TRUE(CreatePipe(&outRead, &outWrite, &inherit, 0));
    EXPECT_TRUE(CreatePipe(&errRead, &errWrite, &inherit, 0));
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    PROCESS_INFORMATION process{};
    const bool started = Start(CommandLine(args), nullptr, outWrite, errWrite, process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    Outcome outcome;
    if (started) {
        std::thread errReader([&] { outcome.err = Drain(errRead); });
        outcome.out = Drain(outRead);
        errReader.join();
        outcome.status = Finish(process);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    EXPECT_TRUE(started) << "cannot start quenlow.exe";
    return outcome;
}

// The text of a console screen buffer, one line per row without the trailing blanks; empty
// rows at the end left out.
std::wstring ScreenText(HANDLE buffer) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(buffer, &info)) return L"<no screen buffer>";
    std::wstring text;
    std::wstring row(static_cast<std::size_t>(info.dwSize.X), L' ');
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
        DWORD read = 0;
        ReadConsoleOutputCharacterW(buffer, row.data(), info.dwSize.X, COORD{0, y}, &read);
        std::wstring line = row.substr(0, read);
        line.erase(line.find_last_not_of(L' ') + 1);
        text += line + L"\n";
    }
    while (text.size() >= 2 && text.compare(text.size() - 2, 2, L"\n\n") == 0) text.pop_back();
    return text == L"\n" ? L"" : text;
}

// Output written into a console window: a fresh screen buffer of this process's console,
// handed to quenlow.exe as its standard output and error.
struct ConsoleOutcome {
    DWORD status = 0;
    std::wstring screen;
};

ConsoleOutcome RunOnConsole(const std::vector<std::string>& args) {
    ConsoleOutcome outcome;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE screen = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              &inherit, CONSOLE_TEXTMODE_BUFFER, nullptr);
    EXPECT_NE(screen, INVALID_HANDLE_VALUE) << "no console screen buffer, error " << GetLastError();
    if (screen == INVALID_HANDLE_VALUE) return outcome;
    PROCESS_INFORMATION process{};
    const bool started = Start(CommandLine(args), nullptr, screen, screen, process);
    EXPECT_TRUE(started) << "cannot start quenlow.exe";
    if (started) {
        outcome.status = Finish(process);
        outcome.screen = ScreenText(screen);
    }
    CloseHandle(screen);
    return outcome;
}

class QuenlowExeTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // A console window of our own to host the screen buffers. Started without one (as by
        // ctest), the process may still be attached to a windowless console: leave it first.
        if (!GetConsoleWindow()) {
            FreeConsole();
            AllocConsole();
        }
    }
};

struct Case {
    const char* label;
    std::vector<std::string> args;
    DWORD status;
    std::string out;                // UTF-8, exactly
    std::vector<std::string> err;   // UTF-8: what the one line of a failure must hold
};

const std::string kMissingProject = "Z:\\tolvane-tests\\Ñoño\\Проект.vbp";

const std::vector<Case> kCases = {
    {"names beyond ASCII in and out",
     {"generate", "--form", "Fenêtre", "--pick", "Käse=LM", "--pick", "Поле(2)=UR", "--block", "resize", "--plain"},
     0,
     "Käse.Left = Fenêtre.Width - (iFormWidth - iKäse_Left)\r\n"
     "Поле(2).Height = Fenêtre.Height - (iFormHeight - iПоле_2__Height)\r\n",
     {}},
    {"version", {"--version"}, 0, "quenlow " TOLVANE_VERSION " (Tolvane " TOLVANE_VERSION_SHORT ")\n", {}},
    {"a wrong command line", {"generate", "--pick", "Käse=XX"}, 2, "", {"quenlow: ", "\"Käse=XX\""}},
    // The path as typed, with Windows' separators.
    {"a project that is not there", {"forms", kMissingProject}, 1, "", {"quenlow: ", kMissingProject + ": file not found"}},
};

// A failure is one line on standard error, starting with the program's name.
void ExpectOneLineHolding(const std::wstring& line, const std::vector<std::string>& parts) {
    ASSERT_FALSE(parts.empty());
    EXPECT_EQ(line.rfind(Utf8ToWide(parts.front()), 0), 0u) << testing::PrintToString(line);
    EXPECT_EQ(line.find(L'\n'), line.size() - 1) << testing::PrintToString(line);
    for (const auto& part : parts) EXPECT_NE(line.find(Utf8ToWide(part)), std::wstring::npos) << part;
}

TEST_F(QuenlowExeTest, RedirectedOutputIsUtf8BytesWithTheDocumentedStatus) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.label);
        const Outcome outcome = RunRedirected(c.args);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.out, c.out);
        if (c.err.empty()) {
            EXPECT_EQ(outcome.err, "");
        } else {
            ExpectOneLineHolding(Utf8ToWide(outcome.err), c.err);
        }
    }
}

TEST_F(QuenlowExeTest, ConsoleShowsEveryCharacter) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.label);
        const ConsoleOutcome outcome = RunOnConsole(c.args);
        EXPECT_EQ(outcome.status, c.status);
        if (c.out.empty()) {
            ExpectOneLineHolding(outcome.screen, c.err);
        } else {
            std::wstring expected = Utf8ToWide(c.out);
            for (std::size_t at; (at = expected.find(L'\r')) != std::wstring::npos;) expected.erase(at, 1);
            EXPECT_EQ(outcome.screen, expected);
        }
    }
}

}  // namespace
