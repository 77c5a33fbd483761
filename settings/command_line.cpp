#include "command_line.h"

namespace glyphpeek::settings {
namespace {

// Only the letters of the switches matter, and those are ASCII.
std::u16string LowerAscii(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& c : lower)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return lower;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }

std::u16string ImagePath(std::u16string_view tail) {
    constexpr size_t kSwitchLength = 6;  // "/image"
    std::u16string_view path = tail.substr(kSwitchLength);
    while (!path.empty() && IsBlank(path.front())) path.remove_prefix(1);
    while (!path.empty() && path.front() == u'"') path.remove_prefix(1);
    while (!path.empty() && path.back() == u'"') path.remove_suffix(1);
    return std::u16string(path);
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
    const std::u16string lower = LowerAscii(tail);
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

} // namespace glyphpeek::settings
