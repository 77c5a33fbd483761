#pragma once
// The system's open and save file dialogs (Explorer style).
#include <windows.h>
#include <commdlg.h>

#include <optional>
#include <string>

struct FileDialogOptions {
    HWND owner = nullptr;
    // Filter pairs separated by '|', as the string tables hold them: "Text(*.x)|*.x|All files|*.*||".
    std::wstring filter;
    // Added to a name typed without an extension; a leading "*." or "." is dropped ("*.png" -> "png").
    std::wstring defaultExtension;
    std::wstring fileName;       // proposed name
    std::wstring initialFolder;  // empty: the system's choice
    std::wstring title;          // empty: the system's caption
    DWORD flags = 0;             // OFN_* beside OFN_EXPLORER, which is always set
};

// The chosen full path, or nothing when the user cancelled or the dialog failed.
std::optional<std::wstring> ShowOpenFileDialog(const FileDialogOptions& options);
std::optional<std::wstring> ShowSaveFileDialog(const FileDialogOptions& options);

// The filter in the dialog's form: each '|' becomes a terminator and the list ends with two of them,
// also when the text lacks its final "||".
std::wstring FileDialogFilter(const std::wstring& filter);
std::wstring FileDialogExtension(const std::wstring& extension);
