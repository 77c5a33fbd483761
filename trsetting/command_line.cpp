#include "trsetting/command_line.h"

#include <iterator>

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
    if (text.starts_with(u"/install")) {
        request.action = StartAction::kInstall;
    } else if (text.starts_with(u"/unregist")) {
        request.action = StartAction::kUnregister;
    } else if (text.starts_with(u"/uninstall")) {
        request.action = StartAction::kUninstall;
    } else if (text.starts_with(u"/clrcache")) {
        request.action = StartAction::kClearCache;
    } else if (text.starts_with(u"/regist")) {
        request.action = StartAction::kRegisterType;
        request.fontType = FontTypeOf(text);
    } else if (text.starts_with(u"/removefont")) {
        std::vector<std::u16string> arguments = Arguments(tail.substr(11));
        if (arguments.size() >= 2) {
            request.action = StartAction::kRemoveFont;
            request.backupFolder = std::move(arguments.front());
            request.removalPaths.assign(std::make_move_iterator(arguments.begin() + 1),
                                        std::make_move_iterator(arguments.end()));
        }
    } else if (text.starts_with(u"/image")) {
        request.action = StartAction::kImage;
        request.imagePath = ImagePath(tail);
    } else if (text.starts_with(u"/setup")) {
        request.action = StartAction::kSetup;
    } else if (text.starts_with(u"/undosetup")) {
        request.action = StartAction::kUndoSetup;
    } else if (text.starts_with(u"/cleanup")) {
        request.action = StartAction::kCleanup;
    }
    return request;
}

} // namespace glyphpeek::trsetting
