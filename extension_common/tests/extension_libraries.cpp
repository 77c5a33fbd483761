#include "extension_common/tests/extension_libraries.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include "testsupport/utility_library.h"

namespace {
using Entry = HRESULT(STDAPICALLTYPE*)();
using GetClassObjectEntry = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

template <typename Proc>
Proc Export(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}
} // namespace

RegisteredExtensions::RegisteredExtensions() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (const wchar_t* name : {L"Typorama.dll", L"TyporamaVista.dll"}) {
        HMODULE module = LoadLibraryW((TestFolder() + name).c_str());
        modules_.push_back(module);
        const auto reg = Export<Entry>(module, "DllRegisterServer");
        EXPECT_TRUE(reg && reg() == S_OK) << "registering " << testing::PrintToString(std::wstring(name));
    }
}

RegisteredExtensions::~RegisteredExtensions() {
    for (HMODULE module : modules_) {
        if (const auto unreg = Export<Entry>(module, "DllUnregisterServer")) unreg();
        if (module) FreeLibrary(module);
    }
    CoFreeUnusedLibraries();
    CoUninitialize();
}

IUnknown* RegisteredExtensions::Create(const CLSID& clsid) {
    IUnknown* object = nullptr;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&object)),
              S_OK);
    return object;
}

LibraryFolder::LibraryFolder(const wchar_t* name) : folder_(std::filesystem::path(TestFolder()) / name) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
}

LibraryFolder::~LibraryFolder() {
    for (HMODULE module : loaded_) FreeLibrary(module);
    CoUninitialize();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void LibraryFolder::Copy(const wchar_t* name, const wchar_t* as) const {
    std::filesystem::copy_file(TestFolder() + name, folder_ / (as ? as : name));
}

IUnknown* LibraryFolder::Create(const wchar_t* library, const CLSID& clsid) {
    HMODULE module = LoadLibraryW((folder_ / library).c_str());
    EXPECT_TRUE(module);
    if (!module) return nullptr;
    loaded_.push_back(module);
    const auto get = Export<GetClassObjectEntry>(module, "DllGetClassObject");
    IClassFactory* factory = nullptr;
    if (!get || FAILED(get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return nullptr;
    IUnknown* object = nullptr;
    factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object));
    factory->Release();
    return object;
}
