#pragma once
// GDI, the font engine: fonts by description, text on device contexts, private registrations.
#include <windows.h>

#include <utility>

namespace imaging {

class ScopedFont {
public:
    ScopedFont() = default;
    explicit ScopedFont(HFONT font) : font_(font) {}
    ScopedFont(ScopedFont&& o) noexcept : font_(std::exchange(o.font_, nullptr)) {}
    ScopedFont& operator=(ScopedFont&& o) noexcept;
    ScopedFont(const ScopedFont&) = delete;
    ScopedFont& operator=(const ScopedFont&) = delete;
    ~ScopedFont();
    HFONT get() const { return font_; }

private:
    HFONT font_ = nullptr;
};

// The font of a face by description: character height `size` pixels (asked as -size), weight 700 or
// 400, embedded-font clip precision, non-antialiased. A face name longer than GDI's 31 units is cut.
ScopedFont CreateFaceFont(const wchar_t* faceName, int size, bool bold, bool italic);

// Selects a GDI object into a device context for the lifetime of this object.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (old_) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A font file registered for this process only; removed with the same flag when the object goes.
class PrivateFontFile {
public:
    explicit PrivateFontFile(const wchar_t* path);
    ~PrivateFontFile();
    PrivateFontFile(const PrivateFontFile&) = delete;
    PrivateFontFile& operator=(const PrivateFontFile&) = delete;
    int count() const { return count_; }  // fonts the engine added; 0 when it refused the file

private:
    const wchar_t* path_;
    int count_ = 0;
};

// Font bytes registered for this process only.
class PrivateMemoryFont {
public:
    PrivateMemoryFont(const void* bytes, DWORD size);
    ~PrivateMemoryFont();
    PrivateMemoryFont(const PrivateMemoryFont&) = delete;
    PrivateMemoryFont& operator=(const PrivateMemoryFont&) = delete;
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HANDLE handle_ = nullptr;
};

} // namespace imaging
