#pragma once
// Theme data of one window class for owner-drawn controls, through the visual-styles library bound by
// name (the library may be missing: then nothing is themed and the caller draws the classic frame).
#include <windows.h>
#include <uxtheme.h>

#include "core/non_copyable.h"

namespace glyphpeek::trsetting {

// Theme data of one class, with the visual-styles library bound by name while any handle object
// exists (the library may be missing: then nothing is themed).
class CThemeHandle : glyphpeek::NonCopyable {
public:
    CThemeHandle();
    ~CThemeHandle();
    bool Open(const wchar_t* className);
    // Opens the class held again (after a theme change); nothing when no handle is held.
    void Reopen();
    HTHEME Handle() const { return theme_; }
    bool DrawBackground(HDC dc, int part, int state, const RECT& rect) const;

private:
    void Close();
    HTHEME theme_ = nullptr;
    wchar_t className_[10] = {};
};

} // namespace glyphpeek::trsetting
