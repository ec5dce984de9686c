// The file store keeps one value per line, `application\section\key=value`. Names and values
// are percent-escaped where they hold a character of the layout ('%', '\', '=', line breaks),
// so any text round-trips. Names compare without regard to letter case, as the registry's do,
// so that both stores answer the same questions alike.
#include "connect/FileSettingsStore.h"

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <tuple>
#include <utility>

#include "vb/Names.h"

namespace tolvane {

namespace {

struct Name {
    std::string application, section, key;
};

struct NameLess {
    bool operator()(const Name& a, const Name& b) const {
        using vb::FoldCase;
        return std::make_tuple(FoldCase(a.application), FoldCase(a.section), FoldCase(a.key)) <
               std::make_tuple(FoldCase(b.application), FoldCase(b.section), FoldCase(b.key));
    }
};

using Entries = std::map<Name, std::string, NameLess>;

bool NeedsEscape(char c, bool inName) {
    return c == '%' || c == '\n' || c == '\r' || (inName && (c == '\\' || c == '='));
}

std::string Escape(const std::string& text, bool inName) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (NeedsEscape(c, inName)) {
            const auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Throws std::invalid_argument with the reason; the caller adds file and line.
std::string Unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0) throw std::invalid_argument("bad escape sequence after '%'");
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

[[noreturn]] void Malformed(const std::filesystem::path& path, int line, const std::string& reason) {
    throw std::runtime_error("Settings file '" + path.string() + "', line " + std::to_string(line) + ": " + reason);
}

Entries Parse(const std::filesystem::path& path, std::istream& in) {
    Entries entries;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos) Malformed(path, number, "expected application\\section\\key=value");
        const std::string names = line.substr(0, equals);
        const auto first = names.find('\\');
        const auto second = first == std::string::npos ? std::string::npos : names.find('\\', first + 1);
        if (second == std::string::npos || names.find('\\', second + 1) != std::string::npos)
            Malformed(path, number, "expected application\\section\\key=value");
        Name name;
        std::string value;
        try {
            name.application = Unescape(names.substr(0, first));
            name.section = Unescape(names.substr(first + 1, second - first - 1));
            name.key = Unescape(names.substr(second + 1));
            value = Unescape(line.substr(equals + 1));
        } catch (const std::invalid_argument& e) {
            Malformed(path, number, e.what());
        }
        if (name.application.empty() || name.section.empty() || name.key.empty())
            Malformed(path, number, "empty application, section or key name");
        if (!entries.emplace(std::move(name), std::move(value)).second)
            Malformed(path, number, "the same setting appears twice");
    }
    if (in.bad()) throw std::runtime_error("Settings file '" + path.string() + "' could not be read");
    return entries;
}

// A missing file holds no settings.
Entries Load(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec) && !ec) return {};
        throw std::runtime_error("Settings file '" + path.string() + "' could not be opened");
    }
    return Parse(path, in);
}

}  // namespace

FileSettingsStore::FileSettingsStore(std::filesystem::path path) : path_(std::move(path)) {}

std::string FileSettingsStore::GetSetting(const std::string& application, const std::string& section,
                                          const std::string& key, const std::string& defaultValue) {
    CheckName(application, section, key);
    const Entries entries = Load(path_);
    const auto found = entries.find(Name{application, section, key});
    return found == entries.end() ? defaultValue : found->second;
}

void FileSettingsStore::SaveSetting(const std::string& application, const std::string& section,
                                    const std::string& key, const std::string& value) {
    CheckName(application, section, key);
    // A file we cannot read is left alone rather than replaced by what little we know.
    Entries entries = Load(path_);
    entries[Name{application, section, key}] = value;

    std::ostringstream text;
    for (const auto& [name, stored] : entries)
        text << Escape(name.application, true) << '\\' << Escape(name.section, true) << '\\'
             << Escape(name.key, true) << '=' << Escape(stored, false) << '\n';
    const std::string content = text.str();

    // Written beside the target and renamed over it, so a reader sees the old file or the
    // new one, never a part of either.
    std::filesystem::path temp = path_;
    temp += ".tmp";
    auto fail = [&](const std::string& what) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        throw std::runtime_error("Settings file '" + path_.string() + "' could not be written: " + what);
    };
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) fail("cannot create '" + temp.string() + "'");
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) fail("write to '" + temp.string() + "' failed");
    }
    std::error_code ec;
    std::filesystem::rename(temp, path_, ec);
    if (ec) fail(ec.message());
}

}  // namespace tolvane
