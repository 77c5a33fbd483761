#pragma once
// Windows text is UTF-16 in wchar_t; the platform-neutral engine reads char16_t. These are the views
// and copies between the two, and the one cut of Windows text that keeps surrogate pairs whole.
#include <cwchar>
#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is UTF-16");

inline std::u16string_view AsU16(const wchar_t* text, size_t units) {
    return {reinterpret_cast<const char16_t*>(text), units};
}

inline std::u16string_view AsU16(std::wstring_view text) { return AsU16(text.data(), text.size()); }

inline std::wstring_view AsWide(std::u16string_view text) {
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

// The terminated text of a neutral string, for the calls that take a C string.
inline const wchar_t* AsWideTerminated(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline std::wstring ToWide(std::u16string_view text) { return std::wstring(AsWide(text)); }
inline std::u16string ToU16(std::wstring_view text) { return std::u16string(AsU16(text)); }

// Length of a text held in a fixed field, never reading past the field.
template <size_t N>
size_t FieldLength(const wchar_t (&field)[N]) { return wcsnlen(field, N); }

template <size_t N>
std::u16string_view FieldText(const wchar_t (&field)[N]) { return AsU16(field, FieldLength(field)); }

// `text` cut to at most `units`, never between the halves of a surrogate pair.
inline std::wstring_view CutWhole(std::wstring_view text, size_t units) {
    if (text.size() <= units) return text;
    size_t keep = units;
    if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) --keep;
    return text.substr(0, keep);
}
