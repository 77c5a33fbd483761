// The thumbnail classes of both libraries as Explorer reaches them: COM activation of the registered
// classes, the classic Load / GetLocation / Extract road and the stream road, and TRUtility.dll taken
// from the libraries' own folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <shobjidl.h>
#include <thumbcache.h>

#include <filesystem>
#include <string>

namespace {

const wchar_t kDejaVu[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
const CLSID kClassicClsid = {0x5025A292, 0xD603, 0x4BBC, {0xAA, 0xAE, 0xEE, 0xD7, 0x60, 0x02, 0x34, 0xE9}};
const CLSID kVistaClsid = {0xA8B69155, 0xCE79, 0x4778, {0x96, 0x56, 0x47, 0x95, 0x3D, 0x0D, 0x5B, 0x0B}};
const IID kIidThumbnailProvider = {0xE357FCCD, 0xA995, 0x4576, {0xB0, 0x1F, 0x23, 0x46, 0x30, 0x15, 0x4E, 0x96}};

std::wstring TestFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof(info), &info)) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

// How many pixels are not white: text was drawn when there are some.
int InkedPixels(HBITMAP bitmap) {
    const SIZE size = BitmapSize(bitmap);
    BITMAPINFO header{};
    header.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB};
    std::basic_string<DWORD> pixels(static_cast<size_t>(size.cx) * size.cy, 0);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, size.cy, pixels.data(), &header, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    int inked = 0;
    for (DWORD pixel : pixels) inked += (pixel & 0xFFFFFF) != 0xFFFFFF;
    return inked;
}

template <typename Interface>
Interface* Query(IUnknown* object, const IID& iid) {
    void* out = nullptr;
    return object && SUCCEEDED(object->QueryInterface(iid, &out)) ? static_cast<Interface*>(out) : nullptr;
}

// Classic road: Load, GetLocation, Extract. `result` gets Extract's answer.
HBITMAP ExtractImage(IUnknown* object, const wchar_t* path, SIZE size, HRESULT* result) {
    IPersistFile* file = Query<IPersistFile>(object, IID_IPersistFile);
    IExtractImage* extract = Query<IExtractImage>(object, IID_IExtractImage);
    EXPECT_TRUE(file && extract);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
    *result = E_NOINTERFACE;
    if (file && extract && SUCCEEDED(file->Load(path, STGM_READ))) {
        wchar_t location[MAX_PATH] = L"untouched";
        DWORD priority = 7, flags = IEIFLAG_ASYNC;
        EXPECT_EQ(extract->GetLocation(location, MAX_PATH, &priority, &size, 32, &flags), E_PENDING);
        EXPECT_STREQ(location, L"untouched");
        EXPECT_EQ(priority, 7u);
        EXPECT_EQ(flags, static_cast<DWORD>(IEIFLAG_ASYNC));
        flags = IEIFLAG_SCREEN;
        EXPECT_EQ(extract->GetLocation(location, MAX_PATH, &priority, &size, 32, &flags), S_OK);
        *result = extract->Extract(&bitmap);
    }
    if (file) file->Release();
    if (extract) extract->Release();
    return bitmap;
}

// Stream road: Initialize with the file's stream, GetThumbnail.
HBITMAP StreamThumbnail(IUnknown* object, const wchar_t* path, UINT cx, HRESULT* result, WTS_ALPHATYPE* alpha) {
    IInitializeWithStream* init = Query<IInitializeWithStream>(object, IID_IInitializeWithStream);
    IThumbnailProvider* provider = Query<IThumbnailProvider>(object, kIidThumbnailProvider);
    EXPECT_TRUE(init && provider);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
    *result = E_NOINTERFACE;
    IStream* stream = nullptr;
    if (init && provider && SUCCEEDED(SHCreateStreamOnFileEx(path, STGM_READ | STGM_SHARE_DENY_NONE, 0, FALSE,
                                                            nullptr, &stream))) {
        EXPECT_EQ(init->Initialize(stream, STGM_READ), S_OK);
        EXPECT_EQ(init->Initialize(stream, STGM_READ), E_INVALIDARG);
        *result = provider->GetThumbnail(cx, &bitmap, alpha);
        stream->Release();
    }
    if (init) init->Release();
    if (provider) provider->Release();
    return bitmap;
}

class Thumbnails : public ::testing::Test {
protected:
    using Entry = HRESULT(STDAPICALLTYPE*)();
    Thumbnails() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        for (HMODULE& module : modules) {
            module = LoadLibraryW((TestFolder() + (&module == &modules[0] ? L"Typorama.dll" : L"TyporamaVista.dll")).c_str());
            auto reg = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(module, "DllRegisterServer")));
            EXPECT_TRUE(reg && reg() == S_OK);
        }
    }
    ~Thumbnails() override {
        for (HMODULE module : modules) {
            auto unreg = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(module, "DllUnregisterServer")));
            if (unreg) unreg();
            FreeLibrary(module);
        }
        CoFreeUnusedLibraries();
        CoUninitialize();
    }
    IUnknown* Create(const CLSID& clsid) {
        IUnknown* object = nullptr;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
        return object;
    }
    HMODULE modules[2] = {};
};

TEST_F(Thumbnails, ClassicExtractorDrawsAFontFileAtExactlyTheRequestedSize) {
    IUnknown* object = Create(kClassicClsid);
    ASSERT_TRUE(object);
    HRESULT hr = E_FAIL;
    HBITMAP bitmap = ExtractImage(object, kDejaVu, {120, 80}, &hr);
    ASSERT_EQ(hr, S_OK);
    const SIZE size = BitmapSize(bitmap);
    EXPECT_EQ(size.cx, 120);
    EXPECT_EQ(size.cy, 80);
    EXPECT_GT(InkedPixels(bitmap), 0);
    DeleteObject(bitmap);
    object->Release();
}

TEST_F(Thumbnails, ClassicExtractorRefusesWhatItCannotDraw) {
    IUnknown* object = Create(kClassicClsid);
    ASSERT_TRUE(object);
    IExtractImage* extract = Query<IExtractImage>(object, IID_IExtractImage);
    IPersistFile* file = Query<IPersistFile>(object, IID_IPersistFile);
    ASSERT_TRUE(extract && file);
    HBITMAP bitmap = nullptr;
    EXPECT_TRUE(FAILED(extract->Extract(&bitmap)));  // nothing loaded yet
    EXPECT_EQ(bitmap, nullptr);
    const std::wstring tooLong = L"C:\\" + std::wstring(MAX_PATH, L'a') + L".ttf";
    EXPECT_TRUE(FAILED(file->Load(tooLong.c_str(), STGM_READ)));
    EXPECT_TRUE(FAILED(extract->Extract(&bitmap)));
    file->Release();
    extract->Release();
    HRESULT hr = S_OK;
    bitmap = ExtractImage(object, (TestFolder() + L"no-such-stub.vft").c_str(), {96, 96}, &hr);
    EXPECT_EQ(hr, E_INVALIDARG);
    EXPECT_EQ(bitmap, nullptr);
    object->Release();
}

TEST_F(Thumbnails, StreamProviderDrawsASquareFromTheFontBytes) {
    IUnknown* object = Create(kVistaClsid);
    ASSERT_TRUE(object);
    HRESULT hr = E_FAIL;
    WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
    HBITMAP bitmap = StreamThumbnail(object, kDejaVu, 256, &hr, &alpha);
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(alpha, WTSAT_RGB);
    const SIZE size = BitmapSize(bitmap);
    EXPECT_EQ(size.cx, 256);
    EXPECT_EQ(size.cy, 256);
    EXPECT_GT(InkedPixels(bitmap), 0);
    DeleteObject(bitmap);
    object->Release();
}

TEST_F(Thumbnails, StreamProviderWithoutAStreamFailsCleanly) {
    IUnknown* object = Create(kVistaClsid);
    ASSERT_TRUE(object);
    IThumbnailProvider* provider = Query<IThumbnailProvider>(object, kIidThumbnailProvider);
    ASSERT_TRUE(provider);
    HBITMAP bitmap = nullptr;
    WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
    EXPECT_TRUE(FAILED(provider->GetThumbnail(96, &bitmap, &alpha)));
    EXPECT_EQ(bitmap, nullptr);
    provider->Release();
    object->Release();
}

// The libraries copied to a folder of their own: TRUtility.dll is looked for there and nowhere else.
class MovedLibraries : public ::testing::Test {
protected:
    using GetClassObjectEntry = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    MovedLibraries() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    ~MovedLibraries() override {
        for (HMODULE module : loaded) FreeLibrary(module);
        CoUninitialize();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    void Copy(const wchar_t* name) { std::filesystem::copy_file(TestFolder() + name, folder / name); }
    IUnknown* Create(const wchar_t* library, const CLSID& clsid) {
        HMODULE module = LoadLibraryW((folder / library).c_str());
        EXPECT_TRUE(module);
        if (!module) return nullptr;
        loaded.push_back(module);
        auto get = reinterpret_cast<GetClassObjectEntry>(reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
        IClassFactory* factory = nullptr;
        if (!get || FAILED(get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return nullptr;
        IUnknown* object = nullptr;
        factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object));
        factory->Release();
        return object;
    }
    void Expect(HRESULT expected) {
        HRESULT hr = S_OK;
        IUnknown* classic = Create(L"Typorama.dll", kClassicClsid);
        ASSERT_TRUE(classic);
        HBITMAP bitmap = ExtractImage(classic, kDejaVu, {64, 64}, &hr);
        EXPECT_EQ(hr, expected);
        if (hr == S_OK) DeleteObject(bitmap);
        classic->Release();
        IUnknown* vista = Create(L"TyporamaVista.dll", kVistaClsid);
        ASSERT_TRUE(vista);
        WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
        bitmap = StreamThumbnail(vista, kDejaVu, 64, &hr, &alpha);
        EXPECT_EQ(hr, expected);
        if (hr == S_OK) DeleteObject(bitmap);
        vista->Release();
    }

    const std::filesystem::path folder = std::filesystem::path(TestFolder()) / L"moved-libraries";
    std::vector<HMODULE> loaded;
};

TEST_F(MovedLibraries, WithoutTheUtilityLibraryBesideThemBothClassesFail) {
    Copy(L"Typorama.dll");
    Copy(L"TyporamaVista.dll");
    Expect(E_FAIL);
}

TEST_F(MovedLibraries, MovedTogetherWithTheUtilityLibraryTheyKeepWorking) {
    Copy(L"Typorama.dll");
    Copy(L"TyporamaVista.dll");
    Copy(L"TRUtility.dll");
    Expect(S_OK);
}

} // namespace
