#include "stubmaker/stub_folder.h"

#include <algorithm>

#include "core/ascii_case.h"
#include "core/virtual_font_stub.h"

namespace glyphpeek::stubmaker {
namespace {

// Little-endian units of the bytes given (an odd last byte belongs to no unit), up to the first NUL.
std::u16string UnitsToNul(const std::uint8_t* data, std::size_t size) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == u'\0') break;
        units.push_back(unit);
    }
    return units;
}

std::u16string JoinFolder(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    if (!path.empty() && path.back() != u'\\') path.push_back(u'\\');
    path.append(name);
    return path;
}

void Scan(StubmakerHost& host, const std::u16string& folder, const std::atomic<bool>& stop,
          std::vector<FontFileData>& found) {
    if (stop.load()) return;
    for (const FolderEntry& entry : host.ListFolder(folder)) {
        if (entry.name.empty() || entry.name == u"." || entry.name == u"..") continue;
        std::u16string path = JoinFolder(folder, entry.name);
        // Nothing longer can be opened through a path buffer; it also bounds the depth.
        if (path.size() > kMaxPathUnits) continue;
        if (entry.isFolder)
            Scan(host, path, stop, found);
        else if (IsStubPath(entry.name))
            found.push_back({std::move(path), {}});
    }
}

} // namespace

bool IsFolderSwitch(std::u16string_view commandLine) {
    constexpr std::u16string_view kSwitch = u"/folder";
    return commandLine.size() >= kSwitch.size() && EqualsAsciiFolded(commandLine.substr(0, kSwitch.size()), kSwitch);
}

std::u16string StubFolderFor(std::u16string_view exePath) {
    std::u16string_view driveAndDir;
    const std::size_t slash = exePath.find_last_of(u"\\/");
    if (slash != std::u16string_view::npos)
        driveAndDir = exePath.substr(0, slash + 1);
    else if (exePath.size() >= 2 && exePath[1] == u':')
        driveAndDir = exePath.substr(0, 2);
    std::u16string folder(driveAndDir);
    folder.append(u"vf\\");
    if (folder.size() > kMaxPathUnits) return {};
    return folder;
}

std::u16string InstalledFontEntry(const std::uint8_t* data, std::size_t size, bool plainString) {
    return glyphpeek::InstalledFontEntry(UnitsToNul(data, size), plainString);
}

std::u16string ResolveEntry(std::u16string_view entry, std::u16string_view fontsFolder) {
    return ResolveStubText(entry, fontsFolder, StubTextRule::kFirstUnitDash);
}

std::u16string StubTextFromBytes(const std::uint8_t* data, std::size_t size) {
    const std::u16string units = UnitsToNul(data, std::min(size, kStubReadBytes));
    return std::u16string(StubText(units));
}

std::vector<std::uint8_t> StubBytes(std::u16string_view entry) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(2 * entry.size() + 2);
    for (char16_t unit : entry) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

std::u16string StubPathFor(std::u16string_view resolvedFont, std::u16string_view stubFolder) {
    if (stubFolder.empty()) return {};
    // File name and extension as a path splitter sees them: after the last "\", "/" or drive colon.
    const std::size_t cut = resolvedFont.find_last_of(u"\\/:");
    const std::u16string_view name = cut == std::u16string_view::npos ? resolvedFont : resolvedFont.substr(cut + 1);
    const std::size_t dot = name.find_last_of(u'.');
    if (dot == std::u16string_view::npos) return {};
    const std::u16string_view extension = name.substr(dot);
    if (!EqualsAsciiFolded(extension, u".ttf") && !EqualsAsciiFolded(extension, u".ttc") && !EqualsAsciiFolded(extension, u".otf"))
        return {};
    std::u16string path(stubFolder);
    path.append(name).append(u".vft");
    if (path.size() > kMaxPathUnits) return {};
    return path;
}

bool SamePathAscii(std::u16string_view a, std::u16string_view b) { return EqualsAsciiFolded(a, b); }

StubReconciler::StubReconciler(std::vector<FontFileData> stubs, std::u16string fontsFolder, std::u16string stubFolder)
    : stubs_(std::move(stubs)), fontsFolder_(std::move(fontsFolder)), stubFolder_(std::move(stubFolder)) {}

bool StubReconciler::Claim(std::u16string_view entry, StubWrite& write) {
    const std::u16string font = ResolveEntry(entry, fontsFolder_);
    // An empty path is what an unreadable stub holds: it names nothing and nothing names it.
    if (font.empty()) return false;
    const auto current =
        std::find_if(stubs_.begin(), stubs_.end(), [&](const FontFileData& stub) { return stub.fontPath == font; });
    if (current != stubs_.end()) {
        stubs_.erase(current);
        return false;
    }
    write.path = StubPathFor(font, stubFolder_);
    if (write.path.empty()) return false;
    write.bytes = StubBytes(entry);
    return true;
}

void StubReconciler::Written(std::u16string path) { written_.push_back(std::move(path)); }

std::vector<std::u16string> StubReconciler::DeadStubs(const PathEquals& samePath) const {
    std::vector<std::u16string> dead;
    for (const FontFileData& stub : stubs_) {
        // A stub whose file was just rewritten for a current font is no longer the stub that was read.
        const bool rewritten = std::any_of(written_.begin(), written_.end(),
                                           [&](const std::u16string& path) { return samePath(path, stub.vfontPath); });
        if (!rewritten) dead.push_back(stub.vfontPath);
    }
    return dead;
}

std::vector<FontFileData> ScanStubs(StubmakerHost& host, std::u16string_view folder, const std::atomic<bool>& stop) {
    std::vector<FontFileData> found;
    if (!folder.empty()) Scan(host, std::u16string(folder), stop, found);
    return found;
}

bool RunStubmaker(StubmakerHost& host, std::u16string_view fontsFolder, std::u16string_view stubFolder,
                  const std::atomic<bool>& stop) {
    host.ShowStage(1);
    std::vector<std::u16string> entries;
    host.OpenFontList();
    std::vector<std::uint8_t> data;
    for (std::size_t index = 0;; ++index) {
        if (stop.load()) {
            host.CloseFontList();
            return false;
        }
        bool plainString = false;
        data.clear();
        const FontValueRead read = host.FontValue(index, data, plainString);
        if (read == FontValueRead::kEnd) break;
        // One value too long for a stub must not cost the fonts listed after it theirs.
        if (read == FontValueRead::kPassedOver) continue;
        entries.push_back(InstalledFontEntry(data.data(), data.size(), plainString));
    }
    host.CloseFontList();

    host.ShowStage(2);
    std::vector<FontFileData> stubs = ScanStubs(host, stubFolder, stop);
    if (stop.load()) return false;

    host.ShowStage(3);
    host.SetRange(stubs.size());
    std::vector<std::uint8_t> bytes;
    for (std::size_t n = 0; n < stubs.size(); ++n) {
        if (stop.load()) return false;
        host.SetPosition(n);
        bytes.clear();
        if (host.ReadStub(stubs[n].vfontPath, kStubReadBytes, bytes))
            stubs[n].fontPath = ResolveEntry(StubTextFromBytes(bytes.data(), bytes.size()), fontsFolder);
    }

    host.ShowStage(4);
    host.SetRange(entries.size());
    StubReconciler reconciler(std::move(stubs), std::u16string(fontsFolder), std::u16string(stubFolder));
    for (std::size_t n = 0; n < entries.size(); ++n) {
        if (stop.load()) return false;
        host.SetPosition(n);
        StubWrite write;
        if (reconciler.Claim(entries[n], write) && host.WriteStub(write.path, write.bytes))
            reconciler.Written(std::move(write.path));
    }

    host.ShowStage(5);
    const std::vector<std::u16string> dead =
        reconciler.DeadStubs([&](std::u16string_view a, std::u16string_view b) { return host.SamePath(a, b); });
    host.SetRange(dead.size());
    for (std::size_t n = 0; n < dead.size(); ++n) {
        if (stop.load()) return false;
        host.SetPosition(n);
        host.DeleteStub(dead[n]);
    }

    if (!stubFolder.empty()) host.OpenFolder(stubFolder);
    return true;
}

} // namespace glyphpeek::stubmaker
