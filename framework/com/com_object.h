#pragma once
// COM objects of an in-process server: the module's object and lock count, and a base that gives a
// class its IUnknown (aggregatable) from a table of the interfaces it answers to.
//
//   class CThumbnail final : public ComObject<CThumbnail, IThumbnail, IPersistFile, IExtractImage> {
//   public:
//       static std::span<const InterfaceEntry<CThumbnail>> Interfaces() noexcept {
//           static constexpr InterfaceEntry<CThumbnail> kTable[] = {
//               Implements<CThumbnail, IThumbnail>(IID_IThumbnail),
//               Implements<CThumbnail, IDispatch, IThumbnail>(IID_IDispatch),
//               Implements<CThumbnail, IPersistFile>(IID_IPersistFile),
//               Implements<CThumbnail, IExtractImage>(IID_IExtractImage),
//           };
//           return kTable;
//       }
//       // IPersistFile, IExtractImage ...
//   };
//   HRESULT CThumbnail_CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept {
//       return CreateComObject<CThumbnail>(outer, riid, ppv);
//   }
//
// IID_IUnknown is answered by the base. Every live object and every LockServer(TRUE) holds the module:
// DllCanUnloadNow answers ModuleCanUnloadNow().
#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <new>
#include <span>
#include <type_traits>

namespace glyphpeek::com {

// The module's lock and object count. Each DLL that links this library has its own.
void ModuleLock() noexcept;
void ModuleUnlock() noexcept;
long ModuleLockCount() noexcept;
// S_OK when nothing holds the module, else S_FALSE.
HRESULT ModuleCanUnloadNow() noexcept;

template <typename Object>
struct InterfaceEntry {
    const IID* iid;
    IUnknown* (*cast)(Object*) noexcept;
};

// Object answers `iid` with its `Interface`; `Via` names the base to go through when Interface is
// reached along more than one path (IDispatch through a dual interface).
template <typename Object, typename Interface, typename Via = Interface>
constexpr InterfaceEntry<Object> Implements(const IID& iid) noexcept {
    static_assert(std::is_base_of_v<Interface, Via> && std::is_base_of_v<IUnknown, Interface>);
    return {&iid, [](Object* object) noexcept -> IUnknown* {
                return static_cast<Interface*>(static_cast<Via*>(object));
            }};
}

template <typename Object>
HRESULT CreateComObject(IUnknown* outer, REFIID riid, void** ppv) noexcept;

template <typename Derived, typename... Bases>
class ComObject : public Bases... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // IUnknown of every interface: the controlling unknown, which is the outer object's when aggregated.
    IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return controlling_->QueryInterface(riid, ppv); }
    IFACEMETHODIMP_(ULONG) AddRef() override { return controlling_->AddRef(); }
    IFACEMETHODIMP_(ULONG) Release() override { return controlling_->Release(); }

protected:
    ComObject() noexcept : inner_(this), controlling_(&inner_) { ModuleLock(); }
    virtual ~ComObject() { ModuleUnlock(); }

    // The object's own unknown; the one an aggregating outer object holds.
    IUnknown* InnerUnknown() noexcept { return &inner_; }

private:
    template <typename Object>
    friend HRESULT CreateComObject(IUnknown* outer, REFIID riid, void** ppv) noexcept;

    // The non-delegating unknown: owns the reference count and walks the interface table.
    class Inner final : public IUnknown {
    public:
        explicit Inner(ComObject* owner) noexcept : owner_(owner) {}

        IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
            if (!ppv) return E_POINTER;
            *ppv = nullptr;
            if (IsEqualIID(riid, IID_IUnknown)) {
                *ppv = static_cast<IUnknown*>(this);
                AddRef();
                return S_OK;
            }
            for (const InterfaceEntry<Derived>& entry : Derived::Interfaces()) {
                if (!IsEqualIID(riid, *entry.iid)) continue;
                IUnknown* found = entry.cast(static_cast<Derived*>(owner_));
                found->AddRef();  // through the controlling unknown, as COM's aggregation rules require
                *ppv = found;
                return S_OK;
            }
            return E_NOINTERFACE;
        }
        IFACEMETHODIMP_(ULONG) AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
        IFACEMETHODIMP_(ULONG) Release() override {
            const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
            if (left == 0) delete owner_;
            return left;
        }

    private:
        ComObject* owner_;
        std::atomic<ULONG> refs_{1};
    };

    Inner inner_;
    IUnknown* controlling_;
};

// Creates an object the way IClassFactory::CreateInstance promises: aggregated only when asked for
// IUnknown (else CLASS_E_NOAGGREGATION), *ppv null on every failure.
template <typename Object>
HRESULT CreateComObject(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    Object* object = nullptr;
    try {
        object = new Object();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
    IUnknown* inner = object->InnerUnknown();
    if (outer) {
        // The outer object keeps the inner unknown; everything else the object hands out refers to the outer.
        object->controlling_ = outer;
        *ppv = inner;
        return S_OK;
    }
    const HRESULT hr = inner->QueryInterface(riid, ppv);
    inner->Release();
    return hr;
}

} // namespace glyphpeek::com
