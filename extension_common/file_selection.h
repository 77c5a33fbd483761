#pragma once
// The files Explorer hands a context-menu handler: the CF_HDROP of its data object, one path buffer a
// file, in Explorer's order.
#include <windows.h>
#include <objidl.h>

#include <array>
#include <vector>

namespace glyphpeek::extension_common {

class FileSelection {
public:
    // Takes the selection from `data`, dropping any earlier one. E_INVALIDARG when it holds no CF_HDROP,
    // the data cannot be locked, it names no file, or one of its paths does not fit a path buffer (a cut
    // path would name some other file, and the commands copy, delete and touch files).
    HRESULT Read(IDataObject* data);

    size_t size() const { return paths_.size(); }
    bool empty() const { return paths_.empty(); }
    // A path buffer of MAX_PATH units; the font removal overwrites it with the font a stub names.
    wchar_t* path(size_t index) { return paths_[index].data(); }
    const wchar_t* path(size_t index) const { return paths_[index].data(); }
    // Every selected file is a virtual font stub (".vft" in any letter case).
    bool allStubs() const { return allStubs_; }

private:
    std::vector<std::array<wchar_t, MAX_PATH>> paths_;
    bool allStubs_ = false;
};

} // namespace glyphpeek::extension_common
