#pragma once
// What a user would see go wrong in a dialog's layout, checked on the real window instead of against
// a copy of its template: a control the program needs missing or of another kind, or two controls
// over each other.
#include <windows.h>

#include <initializer_list>

struct ExpectedControl {
    int id;
    const wchar_t* className;  // compared without regard to case
};

// Every control named exists with its class; no two visible controls overlap (group boxes and
// separator lines are left out).
void ExpectDialogLayout(HWND dialog, std::initializer_list<ExpectedControl> controls);
