#include "tools/thumbnail_road.h"

#include <objidl.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include "winsupport/scoped_com.h"
#include "winsupport/scoped_handles.h"
#include "winsupport/product_identities.h"

namespace thumbnail_road {

namespace {

GUID Guid(const wchar_t* text) {
    GUID guid = {};
    CLSIDFromString(text, &guid);
    return guid;
}

// IThumbnailProvider's id is not in mingw's uuid library.
const IID kIidThumbnailProvider = Guid(glyphpeek::ids::kThumbnailProviderSlot);

} // namespace

const CLSID kClassicClsid = Guid(glyphpeek::ids::kTyporama.thumbnailClass);
const CLSID kVistaClsid = Guid(glyphpeek::ids::kTyporamaVista.thumbnailClass);

namespace {

Answer Failed(Answer answer, const char* step, HRESULT hr) {
    answer.failedStep = step;
    answer.result = hr;
    answer.bitmap = nullptr;
    return answer;
}

struct Extraction {
    IExtractImage* extract;
    HBITMAP bitmap = nullptr;
    HRESULT result = E_FAIL;
};

// Explorer's extraction thread: its own apartment, one Extract call.
DWORD WINAPI ExtractOnWorker(void* parameter) {
    auto* job = static_cast<Extraction*>(parameter);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    job->result = job->extract->Extract(&job->bitmap);
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

Answer Classic(const wchar_t* path, SIZE size) {
    Answer answer;
    ComPtr<IPersistFile> file;
    HRESULT hr = CoCreateInstance(kClassicClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile, file.put_void());
    if (FAILED(hr)) return Failed(answer, "CoCreateInstance", hr);
    if (FAILED(hr = file->Load(path, STGM_READ))) return Failed(answer, "Load", hr);
    ComPtr<IExtractImage> extract;
    if (FAILED(hr = file->QueryInterface(IID_IExtractImage, extract.put_void()))) return Failed(answer, "Load", hr);
    wchar_t location[MAX_PATH] = {};
    DWORD priority = IEIT_PRIORITY_NORMAL, flags = IEIFLAG_ASYNC;
    answer.location = extract->GetLocation(location, MAX_PATH, &priority, &size, 32, &flags);
    if (FAILED(answer.location) && answer.location != E_PENDING) return Failed(answer, "GetLocation", answer.location);
    Extraction job{extract.get()};
    if (answer.location == E_PENDING) {
        // As Explorer does after E_PENDING: extract in the background.
        const ScopedHandle worker(CreateThread(nullptr, 0, ExtractOnWorker, &job, 0, nullptr));
        if (!worker) return Failed(answer, "Extract", HRESULT_FROM_WIN32(GetLastError()));
        WaitForSingleObject(worker.get(), INFINITE);
    } else {
        job.result = extract->Extract(&job.bitmap);
    }
    answer.result = job.result;
    answer.bitmap = SUCCEEDED(job.result) ? job.bitmap : nullptr;
    if (FAILED(job.result) || !job.bitmap) return Failed(answer, "Extract", FAILED(job.result) ? job.result : E_POINTER);
    return answer;
}

Answer Vista(const wchar_t* path, UINT cx) {
    Answer answer;
    ComPtr<IInitializeWithStream> init;
    HRESULT hr =
        CoCreateInstance(kVistaClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IInitializeWithStream, init.put_void());
    if (FAILED(hr)) return Failed(answer, "CoCreateInstance", hr);
    // A file stream reports the file's name in Stat, by which the provider chooses the define.
    ComPtr<IStream> stream;
    hr = SHCreateStreamOnFileEx(path, STGM_READ | STGM_SHARE_DENY_WRITE, FILE_ATTRIBUTE_NORMAL, FALSE, nullptr,
                                stream.put());
    if (FAILED(hr)) return Failed(answer, "SHCreateStreamOnFileEx", hr);
    if (FAILED(hr = init->Initialize(stream.get(), STGM_READ))) return Failed(answer, "Initialize", hr);
    ComPtr<IThumbnailProvider> provider;
    if (FAILED(hr = init->QueryInterface(kIidThumbnailProvider, provider.put_void())))
        return Failed(answer, "GetThumbnail", hr);
    HBITMAP bitmap = nullptr;
    hr = provider->GetThumbnail(cx, &bitmap, &answer.alpha);
    if (FAILED(hr) || !bitmap) return Failed(answer, "GetThumbnail", FAILED(hr) ? hr : E_POINTER);
    answer.result = hr;
    answer.bitmap = bitmap;
    return answer;
}

} // namespace

Answer Request(Generation generation, const wchar_t* path, SIZE size) {
    return generation == Generation::kClassic ? Classic(path, size) : Vista(path, static_cast<UINT>(size.cx));
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

} // namespace thumbnail_road
