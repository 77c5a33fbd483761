#pragma once
// The Windows side of a run: the installed-font list in the registry, the stub files, the shell,
// and the progress dialog's two controls.
#include <windows.h>

#include <string>

#include "winsupport/scoped_handles.h"
#include "stubmaker/stub_folder.h"

namespace glyphpeek::stubmaker {

// The stub folder beside the running executable, created if missing (the result is not needed:
// a folder that cannot be made shows in the failures that follow). Empty when it cannot be formed.
std::u16string StubFolder();
// The shell's Fonts folder followed by "\".
std::u16string FontsFolder();

class WindowsHost : public StubmakerHost {
public:
    // `label` and `progress` must outlive the run; null handles make the progress calls do nothing.
    WindowsHost(HWND label, HWND progress) : label_(label), progress_(progress) {}
    ~WindowsHost() override { CloseFontList(); }
    WindowsHost(const WindowsHost&) = delete;
    WindowsHost& operator=(const WindowsHost&) = delete;

    void ShowStage(int stage) override;
    void SetRange(std::size_t count) override;
    void SetPosition(std::size_t index) override;
    void OpenFontList() override;
    FontValueRead FontValue(std::size_t index, std::vector<std::uint8_t>& data, bool& plainString) override;
    void CloseFontList() override;
    std::vector<FolderEntry> ListFolder(std::u16string_view folder) override;
    bool ReadStub(std::u16string_view path, std::size_t limit, std::vector<std::uint8_t>& bytes) override;
    bool WriteStub(std::u16string_view path, const std::vector<std::uint8_t>& bytes) override;
    void DeleteStub(std::u16string_view path) override;
    void OpenFolder(std::u16string_view folder) override;
    bool SamePath(std::u16string_view a, std::u16string_view b) override;

private:
    HWND label_;
    HWND progress_;
    // The system's installed-font list, then the current user's (fonts installed without
    // administrator rights); a list that cannot be opened has no values.
    ScopedRegKey lists_[2];
    DWORD systemValues_ = 0;  // values of the system's list when it was opened
};

} // namespace glyphpeek::stubmaker
