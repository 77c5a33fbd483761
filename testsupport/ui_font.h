#pragma once
// A font installed for the whole test prefix while the object lives. A Windows machine always has
// fonts for its dialogs; the test prefix has none (it must not see the host's), and Wine's edit
// controls fail when a program that shows text finds no font at all. Program tests that start a
// dialog in a process of its own install this one first; the font is removed afterwards.
class InstalledUiFont {
public:
    InstalledUiFont();
    ~InstalledUiFont();
    InstalledUiFont(const InstalledUiFont&) = delete;
    InstalledUiFont& operator=(const InstalledUiFont&) = delete;
};
