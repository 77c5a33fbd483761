// Stub conversion: Explorer's thumbnail handlers and the settings program turn a .vft stub into the
// font it names before drawing or naming it.
#include "trutility/virtual_font.h"

#include <algorithm>
#include <cwchar>

#include "winsupport/scoped_handles.h"
#include "trutility/TRUtility.h"
#include "winsupport/fonts_folder.h"
#include "core/virtual_font_stub.h"
#include "winsupport/wide.h"

using glyphpeek::kPathBufferUnits;

std::u16string FontsFolder() { return ToU16(FontsFolderPath()); }

bool ReadStubUnits(const wchar_t* path, std::u16string& units) {
    units.clear();
    ScopedFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char16_t buffer[kPathBufferUnits] = {};
    DWORD total = 0;
    while (total < sizeof(buffer)) {
        DWORD got = 0;
        if (!ReadFile(file.get(), reinterpret_cast<BYTE*>(buffer) + total, sizeof(buffer) - total, &got, nullptr))
            return false;
        if (got == 0) break;
        total += got;
    }
    units.assign(buffer, total / sizeof(char16_t));  // an odd last byte is no whole unit
    return true;
}

int PathBufferLength(const wchar_t* path) {
    if (!path) return -1;
    const size_t length = wcsnlen(path, kPathBufferUnits);
    return length < kPathBufferUnits ? static_cast<int>(length) : -1;
}

void WritePathBuffer(wchar_t* out, std::u16string_view path) {
    const size_t units = std::min(path.size(), glyphpeek::kMaxPathUnits);
    std::copy_n(path.data(), units, reinterpret_cast<char16_t*>(out));
    out[units] = L'\0';
}

extern "C" bool ConvVFontPathFromFile(const wchar_t* path, wchar_t* out) {
    try {
        if (out) out[0] = L'\0';
        const int length = PathBufferLength(path);
        if (length < 0 || !out) return false;
        if (!glyphpeek::IsStubPath(AsU16(path, length))) return true;
        std::u16string units;
        if (!ReadStubUnits(path, units)) return false;
        WritePathBuffer(out, glyphpeek::StubTarget(units, FontsFolder()));
        return true;
    } catch (...) {
        // Out of memory: the stub could not be read; the caller gives up on the file.
        return false;
    }
}

extern "C" bool ConvVFontPathFromBin(const wchar_t* text, wchar_t* out) {
    try {
        if (!out) return true;
        out[0] = L'\0';
        if (!text) return true;
        // Never past the units a stub can hold: the caller's bytes may be any file's.
        const size_t units = wcsnlen(text, kPathBufferUnits);
        WritePathBuffer(out, glyphpeek::StubTarget(AsU16(text, units), FontsFolder()));
        return true;
    } catch (...) {
        return true;
    }
}
