// A read-only OLE compound file (structured storage): the container of a .frx's form, of
// vbaProject.bin and of the older binary Office documents.
//
// The whole directory is checked when the file is opened: every sector chain is followed
// with its length bounded by the file, every storage's red-black tree of children is walked
// as a tree, and an entry reached twice (a cycle, or a subtree shared by two storages),
// storages nested deeper than kMaxStorageDepth or a chain that leaves the file refuse the
// file with a FormatError. Streams are read whole, up to a cap.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/office/Bytes.h"

namespace tolvane::office {

inline constexpr int kMaxStorageDepth = 64;
inline constexpr std::size_t kMaxStreamBytes = 64u * 1024 * 1024;

class CompoundFile {
public:
    // One directory entry: the root, a storage or a stream.
    struct Entry {
        std::string name;  // UTF-8
        bool storage = false;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
        std::vector<std::uint32_t> children;  // entry indexes, in directory order
    };

    // Parses and checks the file's bytes (kept by the object). `label` names it in errors.
    CompoundFile(std::string bytes, std::string label);

    static bool HasSignature(std::string_view bytes);

    std::uint32_t Root() const { return 0; }
    const Entry& At(std::uint32_t entry) const { return entries_.at(entry); }
    // The child of a storage with this name (compared ignoring ASCII letter case, as the
    // format compares names), or nothing.
    std::optional<std::uint32_t> Find(std::uint32_t storage, std::string_view name) const;
    // The stream's bytes, refused when larger than `cap`.
    std::string Read(std::uint32_t stream, std::size_t cap = kMaxStreamBytes) const;
    // The place of an entry in errors: "LABEL, stream "a/b/c"".
    std::string Place(std::uint32_t entry) const;

    std::size_t SectorSize() const { return sectorSize_; }

private:
    void ReadHeader();
    void ReadFat();
    void ReadDirectory();
    void WalkTree();
    std::vector<std::uint32_t> Chain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                                     std::string_view what) const;
    std::string ReadChain(std::uint32_t start, std::uint64_t size, bool mini, std::string_view what) const;
    std::string_view Sector(std::uint32_t sector, std::string_view what) const;

    std::string bytes_;
    Bytes view_;
    std::string label_;
    std::size_t sectorSize_ = 512;
    int major_ = 3;
    std::uint32_t fatSectors_ = 0, directoryStart_ = 0, miniFatStart_ = 0, miniFatSectors_ = 0;
    std::uint32_t difatStart_ = 0, difatSectors_ = 0, miniCutoff_ = 4096;
    std::vector<std::uint32_t> fat_, miniFat_;
    std::vector<Entry> entries_;
    struct Links {
        std::uint32_t left, right, child;
    };
    std::vector<Links> links_;
    std::vector<std::uint32_t> parent_;  // parent storage of each reachable entry
    std::string miniStream_;
};

}  // namespace tolvane::office
