#include "extension_common/context_menu.h"

#include <cstring>
#include <cwchar>
#include <string>

#include "winsupport/wide.h"

namespace glyphpeek::extension_common {
namespace {

// `text` in the thread's ANSI code page, cut so that it ends whole in `capacity` bytes with the terminator.
void CopyAnsi(const std::wstring& text, char* out, UINT capacity) {
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string ansi(needed > 0 ? needed : 0, '\0');
    if (needed > 0) WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), length, ansi.data(), needed, nullptr, nullptr);
    size_t keep = 0;
    // Walk whole characters, so a double-byte character is never split by the cut.
    for (size_t i = 0; i < ansi.size();) {
        const size_t width = IsDBCSLeadByteEx(CP_THREAD_ACP, static_cast<BYTE>(ansi[i])) ? 2 : 1;
        if (i + width > capacity - 1 || i + width > ansi.size()) break;
        i += width;
        keep = i;
    }
    std::memcpy(out, ansi.data(), keep);
    out[keep] = '\0';
}

// `text` as UTF-16 in `capacity` units with the terminator, never ending on half a surrogate pair.
void CopyUnicode(const std::wstring& text, wchar_t* out, UINT capacity) {
    const std::wstring_view kept = CutWhole(text, capacity - 1);
    wmemcpy(out, kept.data(), kept.size());
    out[kept.size()] = L'\0';
}

} // namespace

HRESULT AddedItems::Insert(HMENU menu, UINT index, UINT firstId, UINT flags, std::span<const MenuItem> items,
                           TextSource text) {
    count_ = 0;
    if (flags & CMF_DEFAULTONLY) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    try {
        for (const MenuItem& item : items) {
            if (count_ == kMaxItems) break;
            const std::wstring label = text(item.text);
            if (!InsertMenuW(menu, index, MF_BYPOSITION | MF_STRING, firstId, label.c_str())) break;
            added_[count_++] = item;
            ++index;
            ++firstId;
        }
    } catch (...) {
        // Out of memory for a label: the items inserted so far stand.
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(count_));
}

HRESULT AddedItems::HelpText(UINT_PTR offset, UINT type, char* out, UINT capacity, TextSource text) const {
    if (offset >= count_ || !(type & (GCS_HELPTEXTA | GCS_UNICODE))) return E_INVALIDARG;
    // Validation asks only whether the item exists; Explorer passes no buffer for it.
    const bool validation = (type & GCS_UNICODE) && (type & GCS_VALIDATEA);
    if (validation && (!out || capacity == 0)) return S_OK;
    if (!out || capacity == 0) return E_INVALIDARG;
    const std::wstring help = text(added_[offset].help);
    if (type & GCS_UNICODE)
        CopyUnicode(help, reinterpret_cast<wchar_t*>(out), capacity);
    else
        CopyAnsi(help, out, capacity);
    return S_OK;
}

std::optional<MenuCommand> AddedItems::Invoked(const CMINVOKECOMMANDINFO* info) const {
    if (!info) return std::nullopt;
    const UINT_PTR verb = reinterpret_cast<UINT_PTR>(info->lpVerb);
    // A verb by name (any bit above the low 16 set): the items have none.
    if (verb > 0xFFFF) return std::nullopt;
    const UINT offset = static_cast<UINT>(verb);
    if (offset >= count_) return std::nullopt;
    return added_[offset].command;
}

} // namespace glyphpeek::extension_common
