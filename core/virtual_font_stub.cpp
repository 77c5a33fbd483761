#include "core/virtual_font_stub.h"

namespace glyphpeek {
namespace {

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool IsFontsFolderForm(std::u16string_view text) { return text.size() >= 2 && text[0] == u'-' && text[1] == u':'; }

bool IsAbsoluteForm(std::u16string_view text) { return text.size() >= 2 && text[1] == u':'; }

} // namespace

bool IsStubPath(std::u16string_view path) {
    constexpr std::u16string_view kEnding = u".vft";
    if (path.size() < kEnding.size()) return false;
    const std::u16string_view tail = path.substr(path.size() - kEnding.size());
    for (std::size_t i = 0; i < kEnding.size(); ++i)
        if (FoldAscii(tail[i]) != kEnding[i]) return false;
    return true;
}

std::u16string_view StubText(std::u16string_view units) {
    const std::size_t end = units.find(u'\0');
    if (end != std::u16string_view::npos) units = units.substr(0, end);
    return units.substr(0, kMaxPathUnits);
}

std::u16string JoinFontsFolder(std::u16string_view fontsFolder, std::u16string_view name) {
    if (fontsFolder.empty() || name.empty() || fontsFolder.size() + 1 + name.size() > kMaxPathUnits) return {};
    std::u16string path;
    path.reserve(fontsFolder.size() + 1 + name.size());
    path.append(fontsFolder).push_back(u'\\');
    path.append(name);
    return path;
}

std::u16string StubTarget(std::u16string_view text, std::u16string_view fontsFolder) {
    text = StubText(text);
    if (IsFontsFolderForm(text)) return JoinFontsFolder(fontsFolder, text.substr(2));
    if (IsAbsoluteForm(text)) return std::u16string(text);
    return {};
}

std::u16string RemovalTarget(std::u16string_view text, std::u16string_view fontsFolder) {
    text = StubText(text);
    if (IsFontsFolderForm(text)) return JoinFontsFolder(fontsFolder, text.substr(2));
    return std::u16string(text);
}

std::u16string InstalledFontFile(std::u16string_view data, bool plainString, std::u16string_view fontsFolder) {
    data = StubText(data);
    if (plainString && !IsAbsoluteForm(data)) return JoinFontsFolder(fontsFolder, data);
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

} // namespace glyphpeek
