#pragma once
// Owners for COM: interface pointers and the thread's apartment.
#include <windows.h>
#include <objbase.h>

#include <utility>

// Holds one reference to an interface and releases it when it goes.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller holds.
    explicit ComPtr(Interface* p) : p_(p) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept { reset(std::exchange(o.p_, nullptr)); return *this; }
    ~ComPtr() { reset(); }

    Interface* get() const { return p_; }
    Interface* operator->() const { return p_; }
    Interface** put() { reset(); return &p_; }
    // For the creation calls that answer through void** (CoCreateInstance, QueryInterface).
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset(Interface* p = nullptr) {
        if (p_) p_->Release();
        p_ = p;
    }
    explicit operator bool() const { return p_ != nullptr; }

private:
    Interface* p_ = nullptr;
};

// COM on this thread for the lifetime of the object, balanced only when this object started it.
class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) : hr_(CoInitializeEx(nullptr, model)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT result() const { return hr_; }

private:
    HRESULT hr_;
};
