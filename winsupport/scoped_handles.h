#pragma once
// Owners for the Win32 handles the product holds: each releases its handle exactly once, when it goes
// out of scope.
#include <windows.h>
#include <objbase.h>

#include <string>
#include <utility>

// Traits: `Handle`, `Invalid()` and `Close(Handle)`.
template <typename Traits>
class Scoped {
public:
    using Handle = typename Traits::Handle;

    Scoped() = default;
    explicit Scoped(Handle h) : h_(h) {}
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
    Scoped& operator=(Scoped&& o) noexcept { reset(std::exchange(o.h_, Traits::Invalid())); return *this; }
    ~Scoped() { reset(); }

    Handle get() const { return h_; }
    Handle* put() { reset(); return &h_; }
    Handle release() { return std::exchange(h_, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid()) {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }
    explicit operator bool() const { return h_ != Traits::Invalid(); }

private:
    Handle h_ = Traits::Invalid();
};

template <typename H, auto CloseFn>
struct NullInvalidTraits {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseFn(h); }
};

template <auto CloseFn>
struct InvalidHandleValueTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseFn(h); }
};

using ScopedRegKey = Scoped<NullInvalidTraits<HKEY, RegCloseKey>>;
using ScopedModule = Scoped<NullInvalidTraits<HMODULE, FreeLibrary>>;
using ScopedHandle = Scoped<NullInvalidTraits<HANDLE, CloseHandle>>;
using ScopedFile = Scoped<InvalidHandleValueTraits<CloseHandle>>;
using ScopedFind = Scoped<InvalidHandleValueTraits<FindClose>>;

// GDI objects: fonts, brushes, pens, bitmaps.
template <typename H>
using ScopedGdiObject = Scoped<NullInvalidTraits<H, DeleteObject>>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedPen = ScopedGdiObject<HPEN>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedMenu = Scoped<NullInvalidTraits<HMENU, DestroyMenu>>;
using ScopedIcon = Scoped<NullInvalidTraits<HICON, DestroyIcon>>;
// Memory the system allocated with LocalAlloc for the caller (FormatMessage's text and the like).
template <typename Pointer>
using ScopedLocalMemory = Scoped<NullInvalidTraits<Pointer, LocalFree>>;
// A device context made by CreateCompatibleDC or CreateDC.
using ScopedMemoryDC = Scoped<NullInvalidTraits<HDC, DeleteDC>>;
// Memory the shell or COM handed over: item lists, names from Stat and the like.
template <typename Pointer>
using ScopedCoTaskMem = Scoped<NullInvalidTraits<Pointer, CoTaskMemFree>>;

// A window's device context, released to that window.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

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
    PrivateFontFile() = default;
    explicit PrivateFontFile(const wchar_t* path) { Add(path); }
    ~PrivateFontFile() { Remove(); }
    PrivateFontFile(const PrivateFontFile&) = delete;
    PrivateFontFile& operator=(const PrivateFontFile&) = delete;

    // Registers `path` in place of what was held; the fonts the engine added, 0 when it refused the file.
    int Add(const wchar_t* path) {
        Remove();
        if (path) {
            path_ = path;
            count_ = AddFontResourceExW(path_.c_str(), FR_PRIVATE, nullptr);
        }
        return count_;
    }
    // Takes over the private registration of `path` that another call made, so that it is removed when
    // this object goes. Only a registration that was made (`registered`) is taken over: removing one
    // that was not would remove another caller's registration of the same file.
    void Adopt(const wchar_t* path, bool registered) {
        Remove();
        if (!path || !registered) return;
        path_ = path;
        count_ = 1;
    }
    void Remove() {
        if (count_ > 0) RemoveFontResourceExW(path_.c_str(), FR_PRIVATE, nullptr);
        count_ = 0;
        path_.clear();
    }
    int count() const { return count_; }

private:
    std::wstring path_;
    int count_ = 0;
};

// Font bytes registered for this process only.
class PrivateMemoryFont {
public:
    PrivateMemoryFont(const void* bytes, DWORD size) {
        DWORD added = 0;
        if (bytes && size) handle_ = AddFontMemResourceEx(const_cast<void*>(bytes), size, nullptr, &added);
    }
    ~PrivateMemoryFont() {
        if (handle_) RemoveFontMemResourceEx(handle_);
    }
    PrivateMemoryFont(const PrivateMemoryFont&) = delete;
    PrivateMemoryFont& operator=(const PrivateMemoryFont&) = delete;
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HANDLE handle_ = nullptr;
};
