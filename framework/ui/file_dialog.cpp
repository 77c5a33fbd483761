#include "framework/ui/file_dialog.h"

#include <commdlg.h>

#include <vector>

std::wstring FileDialogFilter(const std::wstring& filter) {
    std::wstring result = filter;
    for (wchar_t& c : result)
        if (c == L'|') c = L'\0';
    // Two terminators end the list; the string's own terminator is the second one.
    while (!result.empty() && result.back() == L'\0') result.pop_back();
    if (!result.empty()) result.push_back(L'\0');
    return result;
}

std::wstring FileDialogExtension(const std::wstring& extension) {
    size_t start = 0;
    while (start < extension.size() && (extension[start] == L'*' || extension[start] == L'.')) ++start;
    return extension.substr(start);
}

namespace {
std::optional<std::wstring> Show(const FileDialogOptions& options, bool save) {
    std::vector<wchar_t> path(MAX_PATH, L'\0');
    // A proposed name that does not fit is left out rather than cut.
    if (options.fileName.size() < path.size()) options.fileName.copy(path.data(), options.fileName.size());
    std::wstring filter = FileDialogFilter(options.filter);
    std::wstring extension = FileDialogExtension(options.defaultExtension);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = options.owner;
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrInitialDir = options.initialFolder.empty() ? nullptr : options.initialFolder.c_str();
    ofn.lpstrTitle = options.title.empty() ? nullptr : options.title.c_str();
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = options.flags | OFN_EXPLORER;
    BOOL chosen = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    if (!chosen) return std::nullopt;
    return std::wstring(path.data());
}
}  // namespace

std::optional<std::wstring> ShowOpenFileDialog(const FileDialogOptions& options) { return Show(options, false); }
std::optional<std::wstring> ShowSaveFileDialog(const FileDialogOptions& options) { return Show(options, true); }
