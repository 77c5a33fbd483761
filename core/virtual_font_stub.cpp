#include "core/virtual_font_stub.h"

#include <algorithm>

#include "core/ascii_case.h"

namespace glyphpeek {
namespace {

bool IsFontsFolderForm(std::u16string_view text) { return text.size() >= 2 && text[0] == u'-' && text[1] == u':'; }

bool IsAbsoluteForm(std::u16string_view text) { return text.size() >= 2 && text[1] == u':'; }

} // namespace

bool IsStubPath(std::u16string_view path) { return EndsWithAsciiFolded(path, u".vft"); }

std::u16string_view StubText(std::u16string_view units) {
    const std::size_t end = units.find(u'\0');
    if (end != std::u16string_view::npos) units = units.substr(0, end);
    return units.substr(0, kMaxPathUnits);
}

std::u16string JoinFontsFolder(std::u16string_view fontsFolder, std::u16string_view name) {
    if (!fontsFolder.empty() && fontsFolder.back() == u'\\') fontsFolder.remove_suffix(1);
    if (fontsFolder.empty() || name.empty() || fontsFolder.size() + 1 + name.size() > kMaxPathUnits) return {};
    std::u16string path;
    path.reserve(fontsFolder.size() + 1 + name.size());
    path.append(fontsFolder).push_back(u'\\');
    path.append(name);
    return path;
}

std::u16string ResolveStubText(std::u16string_view text, std::u16string_view fontsFolder, StubTextRule rule) {
    text = StubText(text);
    switch (rule) {
    case StubTextRule::kEitherForm:
        if (IsFontsFolderForm(text)) return JoinFontsFolder(fontsFolder, text.substr(2));
        if (IsAbsoluteForm(text)) return std::u16string(text);
        return {};
    case StubTextRule::kFirstUnitDash: {
        if (text.empty() || text[0] != u'-') return std::u16string(text);
        if (!fontsFolder.empty() && fontsFolder.back() == u'\\') fontsFolder.remove_suffix(1);
        std::u16string path(fontsFolder);
        path.push_back(u'\\');
        path.append(text.substr(std::min<std::size_t>(2, text.size())));
        return path;
    }
    }
    return {};
}

std::u16string StubTarget(std::u16string_view text, std::u16string_view fontsFolder) {
    return ResolveStubText(text, fontsFolder, StubTextRule::kEitherForm);
}

std::u16string RemovalTarget(std::u16string_view text, std::u16string_view fontsFolder) {
    text = StubText(text);
    if (IsFontsFolderForm(text)) return JoinFontsFolder(fontsFolder, text.substr(2));
    return std::u16string(text);
}

bool IsFontsFolderRelative(std::u16string_view data, bool plainString) { return plainString && !IsAbsoluteForm(data); }

std::u16string InstalledFontEntry(std::u16string_view data, bool plainString) {
    std::u16string entry(data);
    if (IsFontsFolderRelative(data, plainString)) entry.insert(0, u"-:");
    return entry;
}

std::u16string InstalledFontFile(std::u16string_view data, bool plainString, std::u16string_view fontsFolder) {
    data = StubText(data);
    if (IsFontsFolderRelative(data, plainString)) return JoinFontsFolder(fontsFolder, data);
    return std::u16string(data);
}

std::u16string_view FileNamePart(std::u16string_view path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::u16string FinishBackupFolder(std::u16string_view folder) {
    if (folder.empty()) return {};
    std::u16string finished(folder);
    if (finished.back() != u'\\') finished.push_back(u'\\');
    if (finished.size() > kMaxPathUnits) return {};
    return finished;
}

std::u16string NumberedFileName(std::u16string_view fileName, unsigned attempt) {
    if (attempt <= 1) return std::u16string(fileName);
    // A dot at the start begins no extension (".fontrc" has none).
    const std::size_t dot = fileName.find_last_of(u'.');
    const std::size_t stemEnd = dot == std::u16string_view::npos || dot == 0 ? fileName.size() : dot;
    const std::string number = std::to_string(attempt);
    std::u16string name(fileName.substr(0, stemEnd));
    name += u" (";
    name.append(number.begin(), number.end());
    name += u')';
    name.append(fileName.substr(stemEnd));
    return name;
}

} // namespace glyphpeek
