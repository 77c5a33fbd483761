#include "testsupport/dialog_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// Group boxes frame other controls and separator lines cross them: neither counts as overlapping.
bool FramesOthers(HWND window) {
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    if (_wcsicmp(ClassOf(window).c_str(), L"Button") == 0) return (style & BS_TYPEMASK) == BS_GROUPBOX;
    const LONG kind = style & SS_TYPEMASK;
    return _wcsicmp(ClassOf(window).c_str(), L"Static") == 0 && (kind == SS_ETCHEDHORZ || kind == SS_ETCHEDVERT);
}

} // namespace

void ExpectDialogLayout(HWND dialog, std::initializer_list<ExpectedControl> controls) {
    for (const ExpectedControl& c : controls) {
        const HWND control = GetDlgItem(dialog, c.id);
        ASSERT_TRUE(control) << "control " << c.id;
        EXPECT_EQ(_wcsicmp(ClassOf(control).c_str(), c.className), 0) << "control " << c.id;
    }
    std::vector<std::pair<int, RECT>> placed;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) || FramesOthers(child)) continue;
        RECT place{};
        GetWindowRect(child, &place);
        // A drop-down list's window is its closed height; its list may reach past the dialog.
        if (_wcsicmp(ClassOf(child).c_str(), L"ComboBox") == 0) place.bottom = place.top + 1;
        const int id = GetDlgCtrlID(child);
        for (const auto& [otherId, other] : placed) {
            RECT overlap{};
            EXPECT_FALSE(IntersectRect(&overlap, &place, &other)) << "controls " << id << " and " << otherId << " overlap";
        }
        placed.emplace_back(id, place);
    }
}
