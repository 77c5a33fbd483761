#pragma once
// One class factory for every class of a module, driven by the module's table of {CLSID, create}.
//
//   HRESULT CThumbnail_CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept;  // class file
//   constexpr glyphpeek::com::ClassEntry kClasses[] = {{&CLSID_Thumbnail, CThumbnail_CreateInstance}, ...};
//   STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
//       return glyphpeek::com::GetClassObject(kClasses, clsid, riid, ppv);
//   }
//   STDAPI DllCanUnloadNow() { return glyphpeek::com::ModuleCanUnloadNow(); }
#include <windows.h>
#include <unknwn.h>

#include <span>

#include "framework/com/com_object.h"

namespace glyphpeek::com {

// What IClassFactory::CreateInstance does for one class; CreateComObject<Class> is the usual one.
using CreateFunction = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv) noexcept;

struct ClassEntry {
    const CLSID* clsid;
    CreateFunction create;
};

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
public:
    static std::span<const InterfaceEntry<ClassFactory>> Interfaces() noexcept;

    // A factory for `create`, answering `riid`.
    static HRESULT Create(CreateFunction create, REFIID riid, void** ppv) noexcept;

    // IClassFactory
    IFACEMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    IFACEMETHODIMP LockServer(BOOL lock) override;

private:
    CreateFunction create_ = nullptr;
};

// DllGetClassObject over a table: CLASS_E_CLASSNOTAVAILABLE for a CLSID not in it.
HRESULT GetClassObject(std::span<const ClassEntry> classes, REFCLSID clsid, REFIID riid, void** ppv) noexcept;

} // namespace glyphpeek::com
