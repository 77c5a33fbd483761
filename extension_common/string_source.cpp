#include "extension_common/string_source.h"

#include "winsupport/path_parts.h"
#include "winsupport/module_path.h"

namespace glyphpeek::extension_common {

HMODULE LoadLanguageLibrary(HMODULE module) noexcept {
    wchar_t language[5] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, language, 5) == 0) return nullptr;
    std::wstring library;
    try {
        const std::wstring path = ModulePath(module);
        if (path.empty()) return nullptr;
        const PathParts parts = SplitPath(path);
        library = parts.folder + parts.name + language + parts.extension;
    } catch (...) {
        return nullptr;
    }
    if (library.size() >= MAX_PATH) return nullptr;
    // As resources only: no code of it runs, which matters under the loader lock of DllMain and inside
    // Explorer. 64-bit XP knows no LOAD_LIBRARY_AS_IMAGE_RESOURCE and refuses the call; the data-file
    // view alone serves string tables there. A library that is simply not there is not looked for twice.
    HMODULE loaded =
        LoadLibraryExW(library.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const DWORD error = loaded ? ERROR_SUCCESS : GetLastError();
    if (!loaded && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        loaded = LoadLibraryExW(library.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return loaded;
}

std::wstring LoadModuleString(HMODULE module, HMODULE language, UINT id) {
    wchar_t text[255] = {};
    LoadStringW(language ? language : module, id, text, 255);
    return text;
}

} // namespace glyphpeek::extension_common
