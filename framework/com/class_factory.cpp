#include "framework/com/class_factory.h"

namespace glyphpeek::com {
namespace {

std::atomic<long> g_moduleLocks{0};

} // namespace

void ModuleLock() noexcept { g_moduleLocks.fetch_add(1, std::memory_order_relaxed); }
void ModuleUnlock() noexcept { g_moduleLocks.fetch_sub(1, std::memory_order_acq_rel); }
long ModuleLockCount() noexcept { return g_moduleLocks.load(std::memory_order_acquire); }
HRESULT ModuleCanUnloadNow() noexcept { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

std::span<const InterfaceEntry<ClassFactory>> ClassFactory::Interfaces() noexcept {
    static constexpr InterfaceEntry<ClassFactory> kTable[] = {
        Implements<ClassFactory, IClassFactory>(IID_IClassFactory),
    };
    return kTable;
}

HRESULT ClassFactory::Create(CreateFunction create, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!create) return E_UNEXPECTED;
    auto* factory = new (std::nothrow) ClassFactory();
    if (!factory) return E_OUTOFMEMORY;
    factory->create_ = create;
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

IFACEMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    return create_(outer, riid, ppv);
}

IFACEMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock) ModuleLock();
    else ModuleUnlock();
    return S_OK;
}

HRESULT GetClassObject(std::span<const ClassEntry> classes, REFCLSID clsid, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (const ClassEntry& entry : classes)
        if (IsEqualCLSID(clsid, *entry.clsid)) return ClassFactory::Create(entry.create, riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

} // namespace glyphpeek::com
