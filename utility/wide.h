#pragma once
// Windows text is UTF-16 in wchar_t; the platform-neutral engine reads char16_t.
#include <cwchar>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is UTF-16");

inline std::u16string_view AsU16(const wchar_t* text, size_t units) {
    return {reinterpret_cast<const char16_t*>(text), units};
}

inline std::wstring_view AsWide(std::u16string_view text) {
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

// Length of a text held in a fixed field, never reading past the field.
template <size_t N>
size_t FieldLength(const wchar_t (&field)[N]) { return wcsnlen(field, N); }

template <size_t N>
std::u16string_view FieldText(const wchar_t (&field)[N]) { return AsU16(field, FieldLength(field)); }
