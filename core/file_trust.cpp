#include "core/file_trust.h"

#include "core/ascii_case.h"

namespace glyphpeek {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string_view WithoutTrailingSeparators(std::u16string_view path) {
    while (path.size() > 1 && IsSeparator(path.back())) path.remove_suffix(1);
    return path;
}

} // namespace

bool LiesIn(const FileLocation& file, const FileLocation& folder, bool directly) {
    if (file.volume != folder.volume || folder.path.empty() || folder.path.front() != u'\\') return false;
    const std::u16string_view base = WithoutTrailingSeparators(folder.path);
    const std::u16string_view path = file.path;
    // The volume's root is "\" alone: its files follow it without a second separator.
    const size_t nameStart = base == u"\\" ? 1 : base.size() + 1;
    if (path.size() <= nameStart || !EqualsAsciiFolded(path.substr(0, base.size()), base)) return false;
    if (base != u"\\" && path[base.size()] != u'\\') return false;
    // Every step below the folder a name: no empty step, no "." or "..".
    std::u16string_view rest = path.substr(nameStart);
    size_t steps = 0;
    for (;;) {
        const size_t end = rest.find_first_of(u"\\/");
        const std::u16string_view step = rest.substr(0, end);
        if (step.empty() || step == u"." || step == u"..") return false;
        ++steps;
        if (end == std::u16string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return !directly || steps == 1;
}

bool IsPlainPathOf(std::u16string_view path, const FileLocation& location) {
    // "X:\..." only: no "\\?\", no UNC, no relative path.
    if (path.size() < 3 || path[1] != u':' || path[2] != u'\\' || AsciiLower(path[0]) < u'a' || AsciiLower(path[0]) > u'z')
        return false;
    const std::u16string_view onVolume = WithoutTrailingSeparators(path.substr(2));
    return EqualsAsciiFolded(onVolume, WithoutTrailingSeparators(location.path));
}

bool IsWindowsInstallerOwner(std::u16string_view ownerSid) {
    // NT SERVICE\TrustedInstaller: the service SID derived from the service's name, the same on every system.
    return EqualsAsciiFolded(ownerSid, u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464");
}

} // namespace glyphpeek
