// quenlow.exe's edge to Windows: UTF-16 arguments in, UTF-8 text out. The portable command
// line (cli::Run) writes UTF-8; a console window gets it as UTF-16 through WriteConsoleW, so
// every name shows right whatever the console's code page, and a file or a pipe gets the
// UTF-8 bytes unchanged, as on Linux.
#pragma once

#include <windows.h>

#include <streambuf>
#include <string>

namespace tolvane::cli::win32 {

// An output stream buffer over a standard handle (STD_OUTPUT_HANDLE, STD_ERROR_HANDLE).
class StandardOutput : public std::streambuf {
public:
    explicit StandardOutput(DWORD standardHandle);
    ~StandardOutput() override;
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;


protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    // Writes what is pending; a console keeps back the start of a character cut by the
    // buffer's end until the rest arrives (or `all` says there is no more).
    bool Flush(bool all);
    bool WriteBytes(const char* bytes, std::size_t count);
    bool WriteConsoleText(const char* bytes, std::size_t count);

    HANDLE handle_;
    bool console_ = false;
    std::string pending_;
};

// wmain's body: converts the arguments to UTF-8, runs the command line, writes its output.
int Main(int argc, wchar_t** argv);

}  // namespace tolvane::cli::win32
