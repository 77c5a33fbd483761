#include "extension_common/file_selection.h"

#include <shellapi.h>

#include <cwchar>

#include "core/virtual_font_stub.h"
#include "winsupport/wide.h"

namespace glyphpeek::extension_common {
namespace {

// The global memory of a CF_HDROP medium, locked for as long as this lives.
class LockedDrop {
public:
    explicit LockedDrop(HGLOBAL memory) : memory_(memory), drop_(static_cast<HDROP>(GlobalLock(memory))) {}
    ~LockedDrop() {
        if (drop_) GlobalUnlock(memory_);
    }
    LockedDrop(const LockedDrop&) = delete;
    LockedDrop& operator=(const LockedDrop&) = delete;
    HDROP get() const { return drop_; }

private:
    HGLOBAL memory_;
    HDROP drop_;
};

class Medium {
public:
    ~Medium() { ReleaseStgMedium(&medium); }
    STGMEDIUM medium{};
};

} // namespace

HRESULT FileSelection::Read(IDataObject* data) {
    paths_.clear();
    allStubs_ = false;
    if (!data) return E_INVALIDARG;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    Medium medium;
    if (FAILED(data->GetData(&format, &medium.medium)) || medium.medium.tymed != TYMED_HGLOBAL)
        return E_INVALIDARG;
    const LockedDrop drop(medium.medium.hGlobal);
    if (!drop.get()) return E_INVALIDARG;
    const UINT count = DragQueryFileW(drop.get(), 0xFFFFFFFF, nullptr, 0);
    if (count == 0) return E_INVALIDARG;

    std::vector<std::array<wchar_t, MAX_PATH>> paths(count);
    bool allStubs = true;
    for (UINT i = 0; i < count; ++i) {
        wchar_t* path = paths[i].data();
        wmemset(path, L'\0', MAX_PATH);
        const UINT length = DragQueryFileW(drop.get(), i, nullptr, 0);
        if (length == 0 || length >= MAX_PATH) return E_INVALIDARG;
        if (DragQueryFileW(drop.get(), i, path, MAX_PATH) != length) return E_INVALIDARG;
        allStubs = allStubs && IsStubPath(AsU16(path, length));
    }
    paths_ = std::move(paths);
    allStubs_ = allStubs;
    return S_OK;
}

} // namespace glyphpeek::extension_common
