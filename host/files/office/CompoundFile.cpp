// [MS-CFB]: a 512-byte header (in a 4096-byte first sector for version 4), the FAT listed
// by the header's 109 DIFAT entries and the DIFAT sector chain, the directory (128-byte
// entries) and the mini stream (64-byte sectors chained by the mini FAT) for streams under
// the cutoff size.
#include "host/files/office/CompoundFile.h"

#include <algorithm>

#include "host/files/office/Strings.h"

namespace tolvane::office {
namespace {

constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::size_t kEntryBytes = 128;
constexpr std::size_t kMiniSectorBytes = 64;
constexpr std::size_t kHeaderDifatEntries = 109;

}  // namespace

bool CompoundFile::HasSignature(std::string_view bytes) { return bytes.substr(0, 8) == std::string_view(kSignature, 8); }

CompoundFile::CompoundFile(std::string bytes, std::string label)
    : bytes_(std::move(bytes)), view_(bytes_, label), label_(std::move(label)) {
    ReadHeader();
    ReadFat();
    ReadDirectory();
    WalkTree();
    const Entry& root = entries_[0];
    if (root.size > 0) miniStream_ = ReadChain(root.start, root.size, false, "the mini stream");
}

void CompoundFile::ReadHeader() {
    if (!HasSignature(bytes_)) throw FormatError(label_, "not a compound file (no signature)");
    view_.Need(0, 512, "the header");
    major_ = view_.U16(26, "the major version");
    const unsigned shift = view_.U16(30, "the sector shift");
    if (!((major_ == 3 && shift == 9) || (major_ == 4 && shift == 12)))
        view_.Fail(26, "version " + std::to_string(major_) + " with sectors of 2^" + std::to_string(shift) +
                           " bytes (expected version 3 with 512 or version 4 with 4096)");
    if (view_.U16(28, "the byte order") != 0xFFFE) view_.Fail(28, "byte order mark is not FFFE");
    if (view_.U16(32, "the mini sector shift") != 6) view_.Fail(32, "mini sectors are not 64 bytes");
    sectorSize_ = std::size_t{1} << shift;
    fatSectors_ = view_.U32(44, "the FAT sector count");
    directoryStart_ = view_.U32(48, "the directory start");
    miniCutoff_ = view_.U32(56, "the mini stream cutoff");
    if (miniCutoff_ != 4096) view_.Fail(56, "mini stream cutoff is not 4096");
    miniFatStart_ = view_.U32(60, "the mini FAT start");
    miniFatSectors_ = view_.U32(64, "the mini FAT sector count");
    difatStart_ = view_.U32(68, "the DIFAT start");
    difatSectors_ = view_.U32(72, "the DIFAT sector count");
}

std::string_view CompoundFile::Sector(std::uint32_t sector, std::string_view what) const {
    const std::uint64_t offset = (static_cast<std::uint64_t>(sector) + 1) * sectorSize_;
    if (sector > kMaxRegularSector || offset >= bytes_.size())
        throw FormatError(label_, std::string(what) + ": sector " + std::to_string(sector) +
                                      " lies outside the file (" + std::to_string(bytes_.size()) + " bytes)");
    // The last sector of a file may be cut short.
    return std::string_view(bytes_).substr(offset, sectorSize_);
}

void CompoundFile::ReadFat() {
    const std::size_t perSector = sectorSize_ / 4;
    const std::size_t sectorsInFile = bytes_.size() / sectorSize_ + 1;
    if (fatSectors_ > sectorsInFile) view_.Fail(44, std::to_string(fatSectors_) + " FAT sectors in a smaller file");
    std::vector<std::uint32_t> fatSectors;
    for (std::size_t i = 0; i < kHeaderDifatEntries && fatSectors.size() < fatSectors_; ++i)
        fatSectors.push_back(view_.U32(76 + 4 * i, "the header's DIFAT"));
    std::vector<bool> seen(sectorsInFile, false);
    std::uint32_t next = difatStart_;
    for (std::uint32_t n = 0; fatSectors.size() < fatSectors_; ++n) {
        if (n >= difatSectors_ || next >= sectorsInFile || seen[next])
            throw FormatError(label_, "DIFAT chain: sector " + std::to_string(next) +
                                          (next < sectorsInFile && seen[next] ? " repeats (a cycle)" : " is missing or out of range"));
        seen[next] = true;
        const Bytes sector(Sector(next, "the DIFAT"), label_ + ", DIFAT sector " + std::to_string(next));
        for (std::size_t i = 0; i + 1 < perSector && fatSectors.size() < fatSectors_; ++i)
            fatSectors.push_back(sector.U32(4 * i, "a DIFAT entry"));
        next = sector.U32(4 * (perSector - 1), "the next DIFAT sector");
    }
    fat_.reserve(fatSectors.size() * perSector);
    for (const std::uint32_t fatSector : fatSectors) {
        const Bytes sector(Sector(fatSector, "the FAT"), label_ + ", FAT sector " + std::to_string(fatSector));
        for (std::size_t i = 0; i < perSector; ++i) fat_.push_back(sector.U32(4 * i, "a FAT entry"));
    }
    if (miniFatSectors_ > 0) {
        for (const std::uint32_t sector : Chain(miniFatStart_, fat_, "the mini FAT")) {
            const Bytes bytes(Sector(sector, "the mini FAT"), label_ + ", mini FAT sector " + std::to_string(sector));
            for (std::size_t i = 0; i < perSector; ++i) miniFat_.push_back(bytes.U32(4 * i, "a mini FAT entry"));
        }
    }
}

// The sectors of a chain, in order. Every link is checked against the table and each sector
// may appear once, so a cycle or a link out of the table ends the read with an error.
std::vector<std::uint32_t> CompoundFile::Chain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                                               std::string_view what) const {
    std::vector<std::uint32_t> chain;
    std::vector<bool> seen(table.size(), false);
    for (std::uint32_t sector = start; sector != kEndOfChain;) {
        if (sector >= table.size())
            throw FormatError(label_, std::string(what) + ": sector " + std::to_string(sector) + " is not in the " +
                                          (&table == &miniFat_ ? "mini FAT" : "FAT"));
        if (seen[sector])
            throw FormatError(label_, std::string(what) + ": the sector chain returns to sector " +
                                          std::to_string(sector) + " (a cycle)");
        seen[sector] = true;
        chain.push_back(sector);
        sector = table[sector];
    }
    return chain;
}

std::string CompoundFile::ReadChain(std::uint32_t start, std::uint64_t size, bool mini, std::string_view what) const {
    if (size > kMaxStreamBytes)
        throw FormatError(label_, std::string(what) + " is larger than " + std::to_string(kMaxStreamBytes) + " bytes");
    std::string out;
    if (size == 0) return out;
    out.reserve(static_cast<std::size_t>(size));
    for (const std::uint32_t sector : Chain(start, mini ? miniFat_ : fat_, what)) {
        std::string_view piece;
        if (mini) {
            const std::size_t offset = static_cast<std::size_t>(sector) * kMiniSectorBytes;
            if (offset >= miniStream_.size())
                throw FormatError(label_, std::string(what) + ": mini sector " + std::to_string(sector) +
                                              " lies outside the mini stream");
            piece = std::string_view(miniStream_).substr(offset, kMiniSectorBytes);
        } else {
            piece = Sector(sector, what);
        }
        out.append(piece.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), size - out.size()))));
        if (out.size() == size) return out;
    }
    throw FormatError(label_, std::string(what) + " is truncated: " + std::to_string(out.size()) + " of " +
                                  std::to_string(size) + " bytes in its sector chain");
}

void CompoundFile::ReadDirectory() {
    const std::string directory = [&] {
        std::string bytes;
        for (const std::uint32_t sector : Chain(directoryStart_, fat_, "the directory"))
            bytes.append(Sector(sector, "the directory"));
        return bytes;
    }();
    const Bytes view(directory, label_ + ", directory");
    const std::size_t count = directory.size() / kEntryBytes;
    if (count == 0) throw FormatError(label_, "the directory is empty");
    entries_.resize(count);
    links_.assign(count, Links{kNoStream, kNoStream, kNoStream});
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = i * kEntryBytes;
        Entry& entry = entries_[i];
        const std::uint8_t type = view.U8(at + 66, "an entry's type");
        const std::uint16_t nameBytes = view.U16(at + 64, "an entry's name length");
        if (type == 0) continue;  // unused: refused below if a tree reaches it
        if (nameBytes < 2 || nameBytes > 64 || nameBytes % 2)
            view.Fail(at + 64, "entry " + std::to_string(i) + " has a name of " + std::to_string(nameBytes) + " bytes");
        entry.name = Utf16LeToUtf8(view.Slice(at, nameBytes - 2u, "an entry's name"));
        entry.storage = type == 1 || type == 5;
        if (!entry.storage && type != 2) view.Fail(at + 66, "entry " + std::to_string(i) + " has type " + std::to_string(type));
        if ((i == 0) != (type == 5)) view.Fail(at + 66, "the root entry must be the first entry, and only it");
        links_[i] = Links{view.U32(at + 68, "a left sibling link"), view.U32(at + 72, "a right sibling link"),
                          view.U32(at + 76, "a child link")};
        entry.start = view.U32(at + 116, "an entry's start sector");
        entry.size = major_ == 3 ? view.U32(at + 120, "an entry's size") : view.U64(at + 120, "an entry's size");
    }
    if (entries_[0].name.empty()) throw FormatError(label_, "directory: no root entry");
}

// Collects each storage's children by walking its tree of siblings (left, right) from its
// child entry, iteratively, refusing any entry reached twice in the whole directory.
void CompoundFile::WalkTree() {
    parent_.assign(entries_.size(), kNoStream);
    std::vector<std::pair<std::uint32_t, int>> storages{{0, 0}};  // entry, depth
    std::vector<bool> reached(entries_.size(), false);
    reached[0] = true;
    while (!storages.empty()) {
        const auto [storage, depth] = storages.back();
        storages.pop_back();
        if (depth > kMaxStorageDepth)
            throw FormatError(label_, "storages nested more than " + std::to_string(kMaxStorageDepth) + " deep");
        std::vector<std::uint32_t> pending{links_[storage].child};
        while (!pending.empty()) {
            const std::uint32_t entry = pending.back();
            pending.pop_back();
            if (entry == kNoStream) continue;
            if (entry >= entries_.size() || entries_[entry].name.empty())
                throw FormatError(Place(storage), "directory entry " + std::to_string(entry) + " does not exist");
            if (reached[entry])
                throw FormatError(Place(storage), "directory entry " + std::to_string(entry) +
                                                      " is reached twice (a cycle in the directory)");
            reached[entry] = true;
            parent_[entry] = storage;
            entries_[storage].children.push_back(entry);
            pending.push_back(links_[entry].left);
            pending.push_back(links_[entry].right);
            if (entries_[entry].storage) storages.emplace_back(entry, depth + 1);
            else if (links_[entry].child != kNoStream)
                throw FormatError(Place(entry), "a stream with children");
        }
        std::sort(entries_[storage].children.begin(), entries_[storage].children.end());
    }
}

std::optional<std::uint32_t> CompoundFile::Find(std::uint32_t storage, std::string_view name) const {
    for (const std::uint32_t child : entries_.at(storage).children)
        if (SameIgnoringAsciiCase(entries_[child].name, name)) return child;
    return std::nullopt;
}

std::string CompoundFile::Read(std::uint32_t stream, std::size_t cap) const {
    const Entry& entry = entries_.at(stream);
    if (entry.storage) throw FormatError(Place(stream), "is a storage, not a stream");
    if (entry.size > cap)
        throw FormatError(Place(stream), "is " + std::to_string(entry.size) + " bytes, more than the " +
                                             std::to_string(cap) + " allowed");
    return ReadChain(entry.start, entry.size, entry.size < miniCutoff_, "stream \"" + entry.name + "\"");
}

std::string CompoundFile::Place(std::uint32_t entry) const {
    std::string path;
    for (std::uint32_t at = entry; at != 0 && at < parent_.size() && at != kNoStream; at = parent_[at])
        path = entries_[at].name + (path.empty() ? "" : "/" + path);
    return label_ + (path.empty() ? "" : ", \"" + path + "\"");
}

}  // namespace tolvane::office
