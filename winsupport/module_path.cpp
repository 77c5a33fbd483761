#include "winsupport/module_path.h"

#include "winsupport/path_parts.h"

std::wstring ModulePath(HMODULE module, std::size_t limit) {
    std::wstring path(std::min<std::size_t>(MAX_PATH, limit), L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        // Filled to the end: cut. Try a larger buffer while the limit allows.
        if (path.size() >= limit) return {};
        path.resize(std::min(limit, path.size() * 2));
    }
}

std::wstring ModuleFolder(HMODULE module) {
    const std::wstring path = ModulePath(module);
    if (path.empty()) return {};
    std::wstring folder = SplitPath(path).folder;
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder.push_back(L'\\');
    return folder;
}

std::wstring FileBesideModule(HMODULE module, std::wstring_view name) {
    std::wstring folder = ModuleFolder(module);
    if (folder.empty()) return {};
    folder.append(name);
    return folder.size() < MAX_PATH ? folder : std::wstring();
}
