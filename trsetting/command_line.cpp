#include "trsetting/command_line.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "core/ascii_case.h"

namespace glyphpeek::trsetting {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }

std::u16string ImagePath(std::u16string_view tail) {
    constexpr size_t kSwitchLength = 6;  // "/image"
    std::u16string_view path = tail.substr(kSwitchLength);
    while (!path.empty() && IsBlank(path.front())) path.remove_prefix(1);
    while (!path.empty() && path.front() == u'"') path.remove_prefix(1);
    while (!path.empty() && path.back() == u'"') path.remove_suffix(1);
    return std::u16string(path);
}

// Arguments after a switch: quoted ones run to the next quote (paths hold no quotes, and a folder's
// trailing backslash stays a backslash), others to the next blank.
std::vector<std::u16string> Arguments(std::u16string_view text) {
    std::vector<std::u16string> arguments;
    size_t at = 0;
    while (at < text.size()) {
        if (IsBlank(text[at])) {
            ++at;
            continue;
        }
        const bool quoted = text[at] == u'"';
        if (quoted) ++at;
        size_t end = at;
        while (end < text.size() && (quoted ? text[end] != u'"' : !IsBlank(text[end]))) ++end;
        arguments.emplace_back(text.substr(at, end - at));
        at = end + (quoted ? 1 : 0);
    }
    return arguments;
}

int FontTypeOf(std::u16string_view lower) {
    if (lower.size() < 3) return -1;
    const std::u16string_view ending = lower.substr(lower.size() - 3);
    if (ending == u"ttf") return 1;
    if (ending == u"ttc") return 2;
    if (ending == u"otf") return 3;
    return -1;
}

} // namespace

StartRequest ParseCommandTail(std::u16string_view tail) {
    const std::u16string lower = AsciiLowered(tail);
    const std::u16string_view text = lower;
    StartRequest request;
    request.showResult = text.find(u"/result") != std::u16string_view::npos;
    // In this order: "/unregist" before "/uninstall" and "/regist" last, as the switches were always read.
    constexpr std::pair<std::u16string_view, StartAction> kSwitches[] = {
        {u"/install", StartAction::kInstall},     {u"/unregist", StartAction::kUnregister},
        {u"/uninstall", StartAction::kUninstall}, {u"/clrcache", StartAction::kClearCache},
        {u"/regist", StartAction::kRegisterType}, {u"/removefont", StartAction::kRemoveFont},
        {u"/image", StartAction::kImage},         {u"/setup", StartAction::kSetup},
        {u"/undosetup", StartAction::kUndoSetup}, {u"/cleanup", StartAction::kCleanup},
    };
    const auto found = std::find_if(std::begin(kSwitches), std::end(kSwitches),
                                    [&](const auto& entry) { return text.starts_with(entry.first); });
    if (found == std::end(kSwitches)) return request;
    switch (found->second) {
    case StartAction::kRegisterType:
        request.fontType = FontTypeOf(text);
        break;
    case StartAction::kRemoveFont:
        request.removalFiles = Arguments(tail.substr(found->first.size()));
        // Without a font file the switch asks for nothing.
        if (request.removalFiles.empty()) return request;
        break;
    case StartAction::kImage:
        request.imagePath = ImagePath(tail);
        break;
    default:
        break;
    }
    request.action = found->second;
    return request;
}

} // namespace glyphpeek::trsetting
