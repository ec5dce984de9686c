#include "cli/win32/Console.h"

#include <ostream>
#include <vector>

#include "cli/Cli.h"

namespace tolvane::cli::win32 {

namespace {

constexpr std::size_t kFlushAt = 16 * 1024;

// Length of the longest prefix of `bytes` that does not end inside a UTF-8 sequence.
std::size_t CompleteUtf8Prefix(const std::string& bytes) {
    const std::size_t size = bytes.size();
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

// UTF-16 to UTF-8; false for text that is not valid UTF-16 (a lone surrogate).
bool ToUtf8(const wchar_t* text, std::string& out) {
    out.clear();
    const int length = static_cast<int>(wcslen(text));
    if (length == 0) return true;
    const int needed = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return false;
    out.resize(static_cast<std::size_t>(needed));
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, length, out.data(), needed, nullptr, nullptr) ==
           needed;
}

}  // namespace

StandardOutput::StandardOutput(DWORD standardHandle) : handle_(GetStdHandle(standardHandle)) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE && GetConsoleMode(handle_, &mode) != FALSE;
}

StandardOutput::~StandardOutput() { Flush(true); }

StandardOutput::int_type StandardOutput::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    pending_.push_back(traits_type::to_char_type(c));
    if (pending_.size() >= kFlushAt && !Flush(false)) return traits_type::eof();
    return c;
}

std::streamsize StandardOutput::xsputn(const char* text, std::streamsize count) {
    pending_.append(text, static_cast<std::size_t>(count));
    if (pending_.size() >= kFlushAt && !Flush(false)) return 0;
    return count;
}

int StandardOutput::sync() { return Flush(false) ? 0 : -1; }

bool StandardOutput::Flush(bool all) {
    if (pending_.empty()) return true;
    const std::size_t count = console_ && !all ? CompleteUtf8Prefix(pending_) : pending_.size();
    const bool written = console_ ? WriteConsoleText(pending_.data(), count) : WriteBytes(pending_.data(), count);
    pending_.erase(0, count);
    return written;
}

// Redirected output: the bytes as they are (CR LF inside generated blocks stays CR LF).
bool StandardOutput::WriteBytes(const char* bytes, std::size_t count) {
    while (count > 0) {
        DWORD written = 0;
        const DWORD chunk = count > (1u << 20) ? (1u << 20) : static_cast<DWORD>(count);
        if (!WriteFile(handle_, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        count -= written;
    }
    return true;
}

// A console: the text as UTF-16 (a malformed byte shows as U+FFFD rather than vanishing).
bool StandardOutput::WriteConsoleText(const char* bytes, std::size_t count) {
    if (count == 0) return true;
    const int length = static_cast<int>(count);
    const int needed = MultiByteToWideChar(CP_UTF8, 0, bytes, length, nullptr, 0);
    if (needed <= 0) return false;
    std::vector<wchar_t> wide(static_cast<std::size_t>(needed));
    MultiByteToWideChar(CP_UTF8, 0, bytes, length, wide.data(), needed);
    const wchar_t* next = wide.data();
    DWORD left = static_cast<DWORD>(needed);
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = left > 8192 ? 8192 : left;
        if (!WriteConsoleW(handle_, next, chunk, &written, nullptr) || written == 0) return false;
        next += written;
        left -= written;
    }
    return true;
}

int Main(int argc, wchar_t** argv) {
    StandardOutput outBuffer(STD_OUTPUT_HANDLE);
    StandardOutput errBuffer(STD_ERROR_HANDLE);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    err << std::unitbuf;  // diagnostics appear as they are written

    std::vector<std::string> args;
    std::string arg;
    for (int i = 1; i < argc; ++i) {
        if (!ToUtf8(argv[i], arg)) {
            err << "quenlow: argument " << i << " is not valid Unicode text\n";
            return kExitUsage;
        }
        args.push_back(arg);
    }
    const int status = Run(args, out, err);
    out.flush();
    return status;
}

}  // namespace tolvane::cli::win32
