#include "winsupport/path_parts.h"

PathParts SplitPath(std::wstring_view path) {
    PathParts parts;
    size_t nameStart = path.size() >= 2 && path[1] == L':' ? 2 : 0;
    const size_t separator = path.find_last_of(L"\\/");
    if (separator != std::wstring_view::npos && separator + 1 > nameStart) nameStart = separator + 1;
    parts.folder = path.substr(0, nameStart);
    const std::wstring_view file = path.substr(nameStart);
    const size_t dot = file.find_last_of(L'.');
    parts.name = file.substr(0, dot);
    if (dot != std::wstring_view::npos) parts.extension = file.substr(dot);
    return parts;
}
