#pragma once
// Owners for Win32 handles: each closes its handle exactly once, when it goes out of scope.
#include <windows.h>
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

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

using ScopedRegKey = Scoped<NullInvalidTraits<HKEY, RegCloseKey>>;
using ScopedModule = Scoped<NullInvalidTraits<HMODULE, FreeLibrary>>;
using ScopedHandle = Scoped<NullInvalidTraits<HANDLE, CloseHandle>>;
using ScopedFile = Scoped<FileHandleTraits>;
