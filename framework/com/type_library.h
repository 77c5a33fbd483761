#pragma once
// The module's own type library (resource TYPELIB 1): its registration, and IDispatch served from it
// for dual interfaces.
//
//   class CThumbnail final
//       : public ComObject<CThumbnail, DispatchImpl<IThumbnail, IID_IThumbnail>, IPersistFile, IExtractImage> {...};
#include <windows.h>
#include <oleauto.h>

#include "framework/com/registrar.h"
#include "winsupport/scoped_com.h"

namespace glyphpeek::com {

// Registers the type library of `module` for all users (RegisterTypeLib) or for the current user
// (RegisterTypeLibForUser, looked up at run time in oleaut32; the all-users call when it is absent).
HRESULT RegisterModuleTypeLibrary(HMODULE module, RegistrationScope scope) noexcept;
// Its counterpart. A library that is not registered counts as removed.
HRESULT UnregisterModuleTypeLibrary(HMODULE module, RegistrationScope scope) noexcept;

// The same with the library to look the per-user calls up in; null means none has them.
HRESULT RegisterModuleTypeLibrary(HMODULE module, RegistrationScope scope, HMODULE automation) noexcept;
HRESULT UnregisterModuleTypeLibrary(HMODULE module, RegistrationScope scope, HMODULE automation) noexcept;

// Registration writes the library's help string as the type library holds it, in 8-bit text whose
// reading depends on the system's code page; this writes `name` in its place, as UTF-16, into
// TypeLib\{guid}\major.minor of the scope's classes (the per-user call of some systems registers in
// the all-users classes, so there too when the user's classes lack it).
HRESULT NameRegisteredTypeLibrary(HMODULE module, RegistrationScope scope, const wchar_t* name) noexcept;

// The type information of `guid` from the type library of the module this library is linked into.
HRESULT LoadModuleTypeInfo(REFGUID guid, ITypeInfo** info) noexcept;

// IDispatch of a dual interface, from the module's type library. The library is read per call: the
// objects are short-lived and hold nothing between calls.
template <typename Interface, const IID& Iid>
class DispatchImpl : public Interface {
public:
    // IDispatch
    IFACEMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    IFACEMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return LoadModuleTypeInfo(Iid, info);
    }
    IFACEMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> info;
        if (const HRESULT hr = LoadModuleTypeInfo(Iid, info.put()); FAILED(hr)) return hr;
        return DispGetIDsOfNames(info.get(), names, count, ids);
    }
    IFACEMETHODIMP Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* exception, UINT* argError) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> info;
        if (const HRESULT hr = LoadModuleTypeInfo(Iid, info.put()); FAILED(hr)) return hr;
        return DispInvoke(static_cast<Interface*>(this), info.get(), member, flags, params, result, exception, argError);
    }
};

} // namespace glyphpeek::com
