#include "host/files/office/FormsBinary.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

#include "host/files/office/FormsProperties.h"

namespace tolvane::office {
namespace {

using forms::PropertyBlock;
using forms::ReadPropertyBlock;

constexpr std::uint16_t kPage = 7, kFrame = 14, kTabStrip = 18, kMultiPage = 57;
constexpr std::uint32_t kStreamed = 0x10;           // SITE_FLAG fStreamed: the data is in "o"
constexpr std::uint32_t kNoClassTable = 0x8000;     // FORM_FLAG_DONTSAVECLASSTABLE
constexpr std::uint16_t kClassTableIndex = 0x8000;  // a class index into the form's class table

struct CachedClass {
    std::uint16_t index;
    const char* name;
    std::span<const forms::Field> layout;  // empty for a container
    int sizeBit;
    bool wideMask;
};

const CachedClass kClasses[] = {
    {kPage, "MSForms.Page", {}, 0, false},
    {12, "MSForms.Image", forms::kImage, 9, false},
    {kFrame, "MSForms.Frame", {}, 0, false},
    {16, "MSForms.SpinButton", forms::kSpinButton, 3, false},
    {17, "MSForms.CommandButton", forms::kCommandButton, 5, false},
    {kTabStrip, "MSForms.TabStrip", forms::kTabStrip, 4, false},
    {21, "MSForms.Label", forms::kLabel, 5, false},
    {23, "MSForms.TextBox", forms::kMorphData, 8, true},
    {24, "MSForms.ListBox", forms::kMorphData, 8, true},
    {25, "MSForms.ComboBox", forms::kMorphData, 8, true},
    {26, "MSForms.CheckBox", forms::kMorphData, 8, true},
    {27, "MSForms.OptionButton", forms::kMorphData, 8, true},
    {28, "MSForms.ToggleButton", forms::kMorphData, 8, true},
    {47, "MSForms.ScrollBar", forms::kScrollBar, 3, false},
    {kMultiPage, "MSForms.MultiPage", {}, 0, false},
};

const CachedClass* FindClass(std::uint16_t index) {
    for (const auto& known : kClasses)
        if (known.index == index) return &known;
    return nullptr;
}

bool IsContainer(std::uint16_t index) { return index == kPage || index == kFrame || index == kMultiPage; }

struct Site {
    std::string name;
    std::uint32_t id = 0;
    std::uint32_t flags = 0x33;
    std::uint32_t streamSize = 0;
    std::uint16_t classIndex = 0x7FFF;
    std::int32_t left = 0, top = 0;
};

struct FStream {
    PropertyBlock form;
    std::vector<std::string> classTable;  // CLSIDs
    std::vector<Site> sites;
};

std::size_t ReadClassTable(const Bytes& f, std::size_t pos, std::vector<std::string>& table) {
    const std::uint16_t count = f.U16(pos, "the class table's count");
    pos += 2;
    for (std::uint16_t i = 0; i < count; ++i) {
        const PropertyBlock info = ReadPropertyBlock(f, pos, forms::kClassInfo);
        const auto clsid = info.guids.find(0);
        table.push_back(clsid != info.guids.end() ? clsid->second : std::string());
        pos = info.end;
    }
    return pos;
}

// The run-length list of site depths and types, then the sites, 4-aligned from the list's start.
std::size_t ReadSites(const Bytes& f, std::size_t pos, std::vector<Site>& sites) {
    const std::uint32_t count = f.U32(pos, "the count of sites");
    const std::uint32_t bytes = f.U32(pos + 4, "the size of the sites");
    if (count > kMaxSites) f.Fail(pos, std::to_string(count) + " sites, more than " + std::to_string(kMaxSites));
    const std::size_t start = pos + 8;
    f.Need(start, bytes, "the sites");
    pos = start;
    for (std::uint32_t listed = 0; listed < count;) {
        const std::uint8_t typeOrCount = f.U8(pos + 1, "a site's type");
        std::uint32_t run = 1, type = typeOrCount;
        if (typeOrCount & 0x80) {
            run = typeOrCount & 0x7F;
            type = f.U8(pos + 2, "a site's type");
            pos += 1;
        }
        if (type != 1) f.Fail(pos + 1, "site type " + std::to_string(type) + " (only 1, an OLE site, exists)");
        if (run == 0 || run > count - listed) f.Fail(pos + 1, "the site types do not add up to the count of sites");
        listed += run;
        pos += 2;
    }
    pos += (4 - (pos - start) % 4) % 4;
    for (std::uint32_t i = 0; i < count; ++i) {
        const PropertyBlock block = ReadPropertyBlock(f, pos, forms::kSite);
        Site site;
        if (block.texts.count(0)) site.name = block.texts.at(0);
        if (block.numbers.count(2)) site.id = block.numbers.at(2);
        if (block.numbers.count(4)) site.flags = block.numbers.at(4);
        if (block.numbers.count(5)) site.streamSize = block.numbers.at(5);
        if (block.numbers.count(7)) site.classIndex = static_cast<std::uint16_t>(block.numbers.at(7));
        if (block.pairs.count(8)) std::tie(site.left, site.top) = block.pairs.at(8);  // Left first, as files hold it
        sites.push_back(std::move(site));
        pos = block.end;
    }
    if (pos > start + bytes) f.Fail(start, "the sites run past their stated size");
    return pos;
}

FStream ReadF(const Bytes& f) {
    if (f.U8(0, "the form's version") != 0 || f.U8(1, "the form's version") != 4)
        f.Fail(0, "not a form (version " + std::to_string(f.U8(1, "")) + "." + std::to_string(f.U8(0, "")) + ", expected 4.0)");
    FStream out;
    out.form = ReadPropertyBlock(f, 0, forms::kFormControl);
    std::size_t pos = out.form.end;
    if (out.form.Has(15)) pos = forms::SkipPicture(f, pos);
    if (out.form.Has(20)) pos = forms::SkipFont(f, pos);
    if (out.form.Has(21)) pos = forms::SkipPicture(f, pos);
    const std::uint32_t flags = out.form.Has(6) ? out.form.numbers.at(6) : 0x4;
    if (!(flags & kNoClassTable)) pos = ReadClassTable(f, pos, out.classTable);
    ReadSites(f, pos, out.sites);
    return out;
}

class FormReader {
public:
    explicit FormReader(const CompoundFile& file) : file_(file) {}

    FormContents Read(std::uint32_t storage, int depth, bool multiPage) {
        if (depth > kMaxStorageDepth) throw FormatError(file_.Place(storage), "containers nested too deep");
        const std::string fBytes = ReadStream(storage, "f", true);
        const Bytes f(fBytes, file_.Place(storage) + ", stream \"f\"");
        const FStream form = ReadF(f);
        const std::string oBytes = ReadStream(storage, "o", false);
        const Bytes o(oBytes, file_.Place(storage) + ", stream \"o\"");
        FormContents contents;
        if (form.form.texts.count(19)) contents.caption = form.form.texts.at(19);
        const auto size = form.form.pairs.count(10) ? form.form.pairs.at(10) : std::pair<std::int32_t, std::int32_t>{4000, 3000};
        contents.width = PointsFromHimetric(size.first);
        contents.height = PointsFromHimetric(size.second);
        std::size_t offset = 0;
        std::vector<std::uint32_t> pageIds;
        std::set<std::uint32_t> storages;  // one container per storage: a shared one would be read again and again
        for (const Site& site : form.sites) {
            if (++controls_ > kMaxSites) throw FormatError(file_.Place(storage), "more than " + std::to_string(kMaxSites) + " controls");
            if (!(site.flags & kStreamed) && !storages.insert(site.id).second)
                throw FormatError(f.Place(), "two containers have the ID " + std::to_string(site.id));
            UserFormControl control = Control(storage, site, form.classTable, o, offset, depth);
            if (multiPage && site.classIndex == kTabStrip) continue;  // the MultiPage's own tabs
            if (site.name.empty()) throw FormatError(f.Place(), "a control without a name");
            if (multiPage && site.classIndex != kPage)
                throw FormatError(f.Place(), "control \"" + site.name + "\" in a MultiPage is not a Page");
            if (multiPage) pageIds.push_back(site.id);
            contents.controls.push_back(std::move(control));
        }
        if (multiPage) OrderPages(storage, pageIds, contents.controls);
        return contents;
    }

private:
    std::string ReadStream(std::uint32_t storage, std::string_view name, bool required) const {
        const auto stream = file_.Find(storage, name);
        if (!stream || file_.At(*stream).storage) {
            if (!required) return {};
            throw FormatError(file_.Place(storage), "no stream \"" + std::string(name) + "\"");
        }
        return file_.Read(*stream);
    }

    UserFormControl Control(std::uint32_t storage, const Site& site, const std::vector<std::string>& classTable,
                            const Bytes& o, std::size_t& offset, int depth) {
        UserFormControl control;
        control.name = site.name;
        control.left = PointsFromHimetric(site.left);
        control.top = PointsFromHimetric(site.top);
        const bool streamed = (site.flags & kStreamed) != 0;
        const std::string where = "control \"" + site.name + "\"";
        if (site.classIndex & kClassTableIndex) {
            const std::size_t index = site.classIndex & ~kClassTableIndex;
            if (index >= classTable.size())
                throw FormatError(file_.Place(storage), where + ": class table index " + std::to_string(index) + " of " +
                                                            std::to_string(classTable.size()));
            control.className = control.clsid = classTable[index];
            control.sized = false;
            if (streamed) Take(o, offset, site, where);
            return control;
        }
        const CachedClass* known = FindClass(site.classIndex);
        if (!known)
            throw FormatError(file_.Place(storage), where + ": class " + std::to_string(site.classIndex) +
                                                        " is none of the Microsoft Forms controls");
        control.className = known->name;
        if (streamed == IsContainer(site.classIndex))
            throw FormatError(file_.Place(storage), where + ": a " + known->name +
                                                        (streamed ? " without a storage of its own" : " without data in \"o\""));
        if (streamed) {
            const Bytes data(Take(o, offset, site, where), o.Place() + ", " + where);
            const PropertyBlock block = ReadPropertyBlock(data, 0, known->layout, known->wideMask);
            if (block.pairs.count(known->sizeBit)) {
                control.width = PointsFromHimetric(block.pairs.at(known->sizeBit).first);
                control.height = PointsFromHimetric(block.pairs.at(known->sizeBit).second);
            }
            return control;
        }
        const std::string storageName = (site.id < 10 ? "i0" : "i") + std::to_string(site.id);
        const auto child = file_.Find(storage, storageName);
        if (!child || !file_.At(*child).storage)
            throw FormatError(file_.Place(storage), where + ": no storage \"" + storageName + "\"");
        FormContents inner = Read(*child, depth + 1, site.classIndex == kMultiPage);
        control.width = inner.width;
        control.height = inner.height;
        control.children = std::move(inner.controls);
        return control;
    }

    // The site's bytes in "o", at the running offset.
    static std::string_view Take(const Bytes& o, std::size_t& offset, const Site& site, const std::string& where) {
        if (offset > o.Size() || site.streamSize > o.Size() - offset)
            o.Fail(offset, where + ": its " + std::to_string(site.streamSize) + " bytes run past the end of the stream");
        const std::string_view bytes = o.Data().substr(offset, site.streamSize);
        offset += site.streamSize;
        return bytes;
    }

    // Orders a MultiPage's pages as its stream "x" lists their IDs (after one PageProperties
    // block per page, the MultiPageProperties block holds the count and the IDs).
    void OrderPages(std::uint32_t storage, const std::vector<std::uint32_t>& ids, std::vector<UserFormControl>& pages) const {
        const std::string xBytes = ReadStream(storage, "x", false);
        if (xBytes.empty()) return;
        const Bytes x(xBytes, file_.Place(storage) + ", stream \"x\"");
        std::size_t pos = 0;
        for (std::size_t i = 0; i < ids.size(); ++i) pos = ReadPropertyBlock(x, pos, forms::kPageProperties).end;
        const PropertyBlock multiPage = ReadPropertyBlock(x, pos, forms::kMultiPageProperties);
        const std::uint32_t count = multiPage.numbers.count(1) ? multiPage.numbers.at(1) : 0;
        if (count > (multiPage.end - multiPage.extraStart) / 4) x.Fail(pos, "more page IDs than the block holds");
        std::vector<std::pair<std::size_t, UserFormControl>> ranked;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            std::size_t rank = count + i;  // pages the list leaves out keep their order after it
            for (std::uint32_t k = 0; k < count; ++k)
                if (x.U32(multiPage.extraStart + 4 * k, "a page ID") == ids[i]) rank = k;
            ranked.emplace_back(rank, std::move(pages[i]));
        }
        std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        pages.clear();
        for (auto& [rank, page] : ranked) pages.push_back(std::move(page));
    }

    const CompoundFile& file_;
    std::uint32_t controls_ = 0;
};

}  // namespace

double PointsFromHimetric(std::int32_t himetric) { return std::round(himetric * 72.0 / 2540.0 * 100.0) / 100.0; }

FormContents ReadFormStorage(const CompoundFile& file, std::uint32_t storage) {
    return FormReader(file).Read(storage, 0, false);
}

}  // namespace tolvane::office

namespace tolvane::office {

FormContents ReadFrxForm(std::string frx, std::size_t offset, const std::string& label) {
    const Bytes view(frx, label);
    if (view.Slice(offset, 2, "the form's header") != "LB" || view.U16(offset + 2, "the form's header") != 8)
        view.Fail(offset, "no form here (expected \"LB\" and 8)");
    const std::uint32_t length = view.U32(offset + 4, "the form's length");
    view.Need(offset + 8, length, "the form");
    if (length < 16 || !CompoundFile::HasSignature(std::string_view(frx).substr(offset + 24)))
        view.Fail(offset + 24, "no compound file after the form's header");
    const CompoundFile file(frx.substr(offset + 24), label);
    return ReadFormStorage(file, file.Root());
}

}  // namespace tolvane::office
