#pragma once
// A path taken apart as _wsplitpath does, without its fixed buffers and without the secure CRT's
// _wsplitpath_s, which the msvcrt.dll of the XP generation does not have.
#include <string>
#include <string_view>

struct PathParts {
    std::wstring folder;     // drive and folder with the closing separator ("C:\Windows\Fonts\"), or the drive alone ("C:")
    std::wstring name;       // file name without the extension
    std::wstring extension;  // from the file name's last '.' on, with the dot; empty when there is none
};

// '\\' and '/' both separate; a drive is a letter and ':' at the start.
PathParts SplitPath(std::wstring_view path);
