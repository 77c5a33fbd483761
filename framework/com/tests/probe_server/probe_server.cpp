// A small in-process server built the way the extension libraries are: one class behind the table-driven
// factory, registration from its own REGISTRY and TYPELIB resources, per-user through DllInstall("user").
#include <windows.h>

#include <cwchar>
#include <string>

#include "framework/com/class_factory.h"
#include "framework/com/com_object.h"
#include "probe_server.h"
#include "framework/com/registrar.h"
#include "framework/com/type_library.h"

using namespace glyphpeek::com;

namespace {

HMODULE g_module = nullptr;
constexpr wchar_t kAppId[] = L"{744F2007-1039-4E37-BA7A-6D7567E36B6B}";
constexpr UINT kAppIdScript = 101, kClassScript = 102;

class CProbe final : public ComObject<CProbe, DispatchImpl<IProbe, IID_IProbe>> {
public:
    static std::span<const InterfaceEntry<CProbe>> Interfaces() noexcept {
        static constexpr InterfaceEntry<CProbe> kTable[] = {
            Implements<CProbe, IProbe>(IID_IProbe),
            Implements<CProbe, IDispatch, IProbe>(IID_IDispatch),
        };
        return kTable;
    }

    // IProbe
    IFACEMETHODIMP get_Answer(LONG* value) override {
        if (!value) return E_POINTER;
        *value = 42;
        return S_OK;
    }
};

HRESULT CreateProbe(IUnknown* outer, REFIID riid, void** ppv) noexcept { return CreateComObject<CProbe>(outer, riid, ppv); }

constexpr ClassEntry kClasses[] = {{&CLSID_Probe, CreateProbe}};

HRESULT Register(RegistrationScope scope) {
    const std::wstring module = ModuleFileName(g_module);
    const Replacement replacements[] = {{L"MODULE", module}, {L"APPID", kAppId}};
    HRESULT hr = ApplyScriptResource(g_module, kAppIdScript, scope, replacements);
    if (SUCCEEDED(hr)) hr = ApplyScriptResource(g_module, kClassScript, scope, replacements);
    if (SUCCEEDED(hr)) hr = RegisterModuleTypeLibrary(g_module, scope);
    return hr;
}

HRESULT Unregister(RegistrationScope scope) {
    const std::wstring module = ModuleFileName(g_module);
    const Replacement replacements[] = {{L"MODULE", module}, {L"APPID", kAppId}};
    HRESULT hr = RemoveScriptResource(g_module, kClassScript, scope, replacements);
    const HRESULT typeLibrary = UnregisterModuleTypeLibrary(g_module, scope);
    const HRESULT appId = RemoveScriptResource(g_module, kAppIdScript, scope, replacements);
    if (SUCCEEDED(hr)) hr = FAILED(typeLibrary) ? typeLibrary : appId;
    return hr;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    g_module = instance;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) { return GetClassObject(kClasses, clsid, riid, ppv); }
STDAPI DllCanUnloadNow() { return ModuleCanUnloadNow(); }
STDAPI DllRegisterServer() { return Register(RegistrationScope::kAllUsers); }
STDAPI DllUnregisterServer() { return Unregister(RegistrationScope::kAllUsers); }

STDAPI DllInstall(BOOL install, PCWSTR commandLine) {
    const RegistrationScope scope = commandLine && _wcsicmp(commandLine, L"user") == 0
                                        ? RegistrationScope::kCurrentUser
                                        : RegistrationScope::kAllUsers;
    if (!install) return Unregister(scope);
    const HRESULT hr = Register(scope);
    if (FAILED(hr)) Unregister(scope);
    return hr;
}
