// The thumbnail classes of both libraries as Explorer reaches them: COM activation of the registered
// classes, the classic Load / GetLocation / Extract road and the stream road, and TRUtility.dll taken
// from the libraries' own folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <shobjidl.h>
#include <thumbcache.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "testsupport/bitmap_ink.h"
#include "extension_common/tests/extension_libraries.h"
#include "testsupport/utility_library.h"

namespace {

using glyphpeek::test::InkedPixels;

const wchar_t kDejaVu[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
const CLSID kClassicClsid = {0x5025A292, 0xD603, 0x4BBC, {0xAA, 0xAE, 0xEE, 0xD7, 0x60, 0x02, 0x34, 0xE9}};
const CLSID kVistaClsid = {0xA8B69155, 0xCE79, 0x4778, {0x96, 0x56, 0x47, 0x95, 0x3D, 0x0D, 0x5B, 0x0B}};
const IID kIidThumbnailProvider = {0xE357FCCD, 0xA995, 0x4576, {0xB0, 0x1F, 0x23, 0x46, 0x30, 0x15, 0x4E, 0x96}};


SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof(info), &info)) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

template <typename Interface>
Interface* Query(IUnknown* object, const IID& iid) {
    void* out = nullptr;
    return object && SUCCEEDED(object->QueryInterface(iid, &out)) ? static_cast<Interface*>(out) : nullptr;
}

// The pixel at the top left corner, 0xRRGGBB.
DWORD CornerPixel(HBITMAP bitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF color = GetPixel(dc, 0, 0);
    SelectObject(dc, old);
    DeleteDC(dc);
    return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

// Classic road: Load, GetLocation, Extract on a second thread. `result` gets Extract's answer.
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
        // After E_PENDING Explorer extracts on a thread of its own.
        std::thread([&] { *result = extract->Extract(&bitmap); }).join();
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
    static IUnknown* Create(const CLSID& clsid) { return RegisteredExtensions::Create(clsid); }
    RegisteredExtensions extensions;
};

// A thumbnail of the size asked for with some ink on it; the bitmap is deleted.
void ExpectInkedBitmap(HBITMAP bitmap, SIZE expected) {
    const SIZE size = BitmapSize(bitmap);
    EXPECT_EQ(size.cx, expected.cx);
    EXPECT_EQ(size.cy, expected.cy);
    EXPECT_GT(InkedPixels(bitmap), 0);
    DeleteObject(bitmap);
}

TEST_F(Thumbnails, ClassicExtractorDrawsAFontFileAtExactlyTheRequestedSize) {
    IUnknown* object = Create(kClassicClsid);
    ASSERT_TRUE(object);
    HRESULT hr = E_FAIL;
    HBITMAP bitmap = ExtractImage(object, kDejaVu, {120, 80}, &hr);
    ASSERT_EQ(hr, S_OK);
    ExpectInkedBitmap(bitmap, {120, 80});
    object->Release();
}

TEST_F(Thumbnails, ClassicExtractorRefusesWhatItCannotDraw) {
    IUnknown* object = Create(kClassicClsid);
    ASSERT_TRUE(object);
    IExtractImage* extract = Query<IExtractImage>(object, IID_IExtractImage);
    IPersistFile* file = Query<IPersistFile>(object, IID_IPersistFile);
    ASSERT_TRUE(extract && file);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
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
    for (const SIZE size : {SIZE{0, 80}, SIZE{-5, 80}, SIZE{INT_MAX, INT_MAX}}) {
        bitmap = ExtractImage(object, kDejaVu, size, &hr);
        EXPECT_EQ(hr, E_INVALIDARG);
        EXPECT_EQ(bitmap, nullptr);
    }
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
    ExpectInkedBitmap(bitmap, {256, 256});
    object->Release();
}

TEST_F(Thumbnails, StreamProviderRefusesSizesNoBitmapCanHave) {
    for (const UINT cx : {0u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        IUnknown* object = Create(kVistaClsid);
        ASSERT_TRUE(object);
        HRESULT hr = S_OK;
        WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
        HBITMAP bitmap = StreamThumbnail(object, kDejaVu, cx, &hr, &alpha);
        EXPECT_EQ(hr, E_INVALIDARG) << cx;
        EXPECT_EQ(bitmap, nullptr);
        object->Release();
    }
}

TEST_F(Thumbnails, StreamProviderWithoutAStreamFailsCleanly) {
    IUnknown* object = Create(kVistaClsid);
    ASSERT_TRUE(object);
    IThumbnailProvider* provider = Query<IThumbnailProvider>(object, kIidThumbnailProvider);
    ASSERT_TRUE(provider);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
    WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
    EXPECT_TRUE(FAILED(provider->GetThumbnail(96, &bitmap, &alpha)));
    EXPECT_EQ(bitmap, nullptr);
    provider->Release();
    object->Release();
}

// One define for DejaVuSans.ttf alone, with a background of its own; every other name gets the
// standard define's white.
class DefineChoice : public Thumbnails {
protected:
    DefineChoice() {
        registry.SetString(0, L"DefineName", L"DejaVu only");
        registry.SetString(0, L"Condition", L"^DejaVuSans\\.ttf$");
        registry.SetDword(0, L"BackColor1", 0x000000FF);
        registry.SetDword(0, L"BackColor2", 0x000000FF);
        std::filesystem::create_directories(folder);
    }
    ~DefineChoice() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    // A stub in the absolute-path form, naming DejaVuSans.ttf.
    std::wstring WriteStub(const wchar_t* name) {
        const std::wstring path = (folder / name).wstring();
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, kDejaVu, static_cast<DWORD>(wcslen(kDejaVu) * sizeof(wchar_t)), &written, nullptr);
        CloseHandle(file);
        return path;
    }
    DWORD Classic(const std::wstring& path) {
        IUnknown* object = Create(kClassicClsid);
        HRESULT hr = E_FAIL;
        HBITMAP bitmap = ExtractImage(object, path.c_str(), {48, 48}, &hr);
        object->Release();
        EXPECT_EQ(hr, S_OK);
        if (hr != S_OK) return 0;
        EXPECT_GT(InkedPixels(bitmap), 0);
        const DWORD corner = CornerPixel(bitmap);
        DeleteObject(bitmap);
        return corner;
    }
    DWORD Vista(const std::wstring& path) {
        IUnknown* object = Create(kVistaClsid);
        HRESULT hr = E_FAIL;
        WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
        HBITMAP bitmap = StreamThumbnail(object, path.c_str(), 48, &hr, &alpha);
        object->Release();
        EXPECT_EQ(hr, S_OK);
        if (hr != S_OK) return 0;
        EXPECT_GT(InkedPixels(bitmap), 0);
        const DWORD corner = CornerPixel(bitmap);
        DeleteObject(bitmap);
        return corner;
    }

    DefineRegistry registry;
    const std::filesystem::path folder = std::filesystem::path(TestFolder()) / L"define-choice";
};

TEST_F(DefineChoice, AFontFileIsDrawnWithTheDefineOfItsOwnName) {
    EXPECT_NE(Classic(kDejaVu), 0xFFFFFFu);
    EXPECT_NE(Vista(kDejaVu), 0xFFFFFFu);
    // The same font under another name takes the standard define.
    const std::wstring copy = (folder / L"Renamed.ttf").wstring();
    ASSERT_TRUE(CopyFileW(kDejaVu, copy.c_str(), FALSE));
    EXPECT_EQ(Classic(copy), 0xFFFFFFu);
    EXPECT_EQ(Vista(copy), 0xFFFFFFu);
}

TEST_F(DefineChoice, AStubIsDrawnFromItsFontWithTheDefineOfTheFontsName) {
    const std::wstring stub = WriteStub(L"DejaVuSans.ttf.vft");
    const DWORD classic = Classic(stub), vista = Vista(stub);
    EXPECT_NE(classic, 0xFFFFFFu);
    EXPECT_NE(vista, 0xFFFFFFu);
    EXPECT_EQ(classic, Classic(kDejaVu));
}

// A stream over a font's bytes that can report another size or name, or fail its Stat or Read, as
// hosts other than Explorer may.
class TestStream final : public IStream {
public:
    explicit TestStream(std::string bytes) : bytes_(std::move(bytes)), size_(bytes_.size()) {}
    HRESULT statResult = S_OK;
    HRESULT readResult = S_OK;
    ULONGLONG& size() { return size_; }
    const wchar_t* name = nullptr;
    ULONG reads = 0;
    ULONG chunk = ULONG_MAX;  // at most this many bytes per Read, as network and cloud files deliver

    IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IStream) || IsEqualIID(riid, IID_ISequentialStream)
                   ? this : nullptr;
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    IFACEMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    IFACEMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the test's stack
    IFACEMETHODIMP Read(void* data, ULONG count, ULONG* read) override {
        ++reads;
        const ULONG n = static_cast<ULONG>(std::min<size_t>({count, chunk, bytes_.size() - position_}));
        memcpy(data, bytes_.data() + position_, n);
        position_ += n;
        if (read) *read = n;
        return readResult;
    }
    IFACEMETHODIMP Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    IFACEMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    IFACEMETHODIMP SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    IFACEMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    IFACEMETHODIMP Commit(DWORD) override { return E_NOTIMPL; }
    IFACEMETHODIMP Revert() override { return E_NOTIMPL; }
    IFACEMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    IFACEMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    IFACEMETHODIMP Clone(IStream**) override { return E_NOTIMPL; }
    IFACEMETHODIMP Stat(STATSTG* stat, DWORD flags) override {
        *stat = {};
        if (FAILED(statResult)) return statResult;
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = size_;
        if (name && !(flags & STATFLAG_NONAME)) {
            const size_t bytes = (wcslen(name) + 1) * sizeof(wchar_t);
            stat->pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
            memcpy(stat->pwcsName, name, bytes);
        }
        return S_OK;
    }
    ULONG refs_ = 1;

private:
    std::string bytes_;
    ULONGLONG size_;
    size_t position_ = 0;
};

std::string FileBytes(const wchar_t* path) {
    std::string bytes;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

class Streams : public DefineChoice {
protected:
    // GetThumbnail on `stream`: its result, and the corner pixel when it drew.
    HRESULT Thumbnail(TestStream& stream, DWORD* corner = nullptr) {
        IUnknown* object = Create(kVistaClsid);
        IInitializeWithStream* init = Query<IInitializeWithStream>(object, IID_IInitializeWithStream);
        IThumbnailProvider* provider = Query<IThumbnailProvider>(object, kIidThumbnailProvider);
        EXPECT_EQ(init->Initialize(&stream, STGM_READ), S_OK);
        HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
        WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
        const HRESULT hr = provider->GetThumbnail(48, &bitmap, &alpha);
        EXPECT_EQ(alpha, WTSAT_RGB);
        if (hr == S_OK) {
            if (corner) *corner = CornerPixel(bitmap);
            DeleteObject(bitmap);
        } else {
            EXPECT_EQ(bitmap, nullptr);
        }
        init->Release();
        provider->Release();
        object->Release();
        EXPECT_EQ(stream.refs_, 1u);  // the object let the stream go
        return hr;
    }
    const std::string font = FileBytes(kDejaVu);
};

TEST_F(Streams, FailingOrShortOrOversizedStreamsAreRefused) {
    ASSERT_FALSE(font.empty());
    TestStream statFails(font);
    statFails.statResult = STG_E_ACCESSDENIED;
    EXPECT_EQ(Thumbnail(statFails), E_INVALIDARG);
    TestStream readFails(font);
    readFails.readResult = STG_E_READFAULT;
    EXPECT_EQ(Thumbnail(readFails), E_INVALIDARG);
    TestStream shortRead(font);
    shortRead.size() = font.size() + 100;  // reports more than it holds
    EXPECT_EQ(Thumbnail(shortRead), E_INVALIDARG);
    TestStream huge(font);
    huge.size() = 5ull << 30;  // beyond 4 GiB: not read as its low 32 bits
    EXPECT_EQ(Thumbnail(huge), E_INVALIDARG);
    EXPECT_EQ(huge.reads, 0u);
}

TEST_F(Streams, AStreamThatDeliversItsBytesInPiecesIsReadWhole) {
    ASSERT_FALSE(font.empty());
    DWORD whole = 0, pieces = 0;
    TestStream once(font);
    ASSERT_EQ(Thumbnail(once, &whole), S_OK);
    TestStream chunked(font);
    chunked.chunk = 4096;
    ASSERT_EQ(Thumbnail(chunked, &pieces), S_OK);
    EXPECT_GT(chunked.reads, font.size() / 4096);
    EXPECT_EQ(pieces, whole);
}

TEST_F(Streams, TheDefineIsChosenByTheLastComponentOfTheReportedName) {
    ASSERT_FALSE(font.empty());
    DWORD corner = 0;
    TestStream bare(font);
    bare.name = L"DejaVuSans.ttf";
    ASSERT_EQ(Thumbnail(bare, &corner), S_OK);
    EXPECT_NE(corner, 0xFFFFFFu);
    TestStream fullPath(font);
    fullPath.name = L"C:\\Fonts\\DejaVuSans.ttf";
    ASSERT_EQ(Thumbnail(fullPath, &corner), S_OK);
    EXPECT_NE(corner, 0xFFFFFFu);
    TestStream nameless(font);  // drawn with the define an empty name gets
    ASSERT_EQ(Thumbnail(nameless, &corner), S_OK);
    EXPECT_EQ(corner, 0xFFFFFFu);
}

// The libraries copied to a folder of their own: TRUtility.dll is looked for there and nowhere else.
class MovedLibraries : public ::testing::Test {
protected:
    void Copy(const wchar_t* name) { libraries.Copy(name); }
    IUnknown* Create(const wchar_t* library, const CLSID& clsid) { return libraries.Create(library, clsid); }
    void Expect(HRESULT expected) {
        HRESULT hr = S_OK;
        IUnknown* classic = Create(L"Typorama.dll", kClassicClsid);
        ASSERT_TRUE(classic);
        HBITMAP bitmap = ExtractImage(classic, kDejaVu, {64, 64}, &hr);
        EXPECT_EQ(hr, expected);
        if (hr == S_OK)
            DeleteObject(bitmap);
        else
            EXPECT_EQ(bitmap, nullptr);  // a failure hands back no bitmap, whatever the variable held
        classic->Release();
        IUnknown* vista = Create(L"TyporamaVista.dll", kVistaClsid);
        ASSERT_TRUE(vista);
        WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
        bitmap = StreamThumbnail(vista, kDejaVu, 64, &hr, &alpha);
        EXPECT_EQ(hr, expected);
        if (hr == S_OK)
            DeleteObject(bitmap);
        else
            EXPECT_EQ(bitmap, nullptr);
        vista->Release();
    }

    LibraryFolder libraries{L"moved-libraries"};
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
