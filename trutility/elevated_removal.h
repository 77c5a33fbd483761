#pragma once
// Removal of a system-wide font from a process without administrator rights (Explorer on Vista and
// later): the settings program, whose manifest asks for those rights, is started to do it.
#include <windows.h>

#include <string>

// Whether this process may delete the system's installed-font list values and the font file. Under a
// test the environment variable GLYPHPEEK_TEST_ELEVATION ("required" or "declined") answers no: Wine
// grants every right, so the road through the settings program can be taken only on request.
bool MayRemoveSystemFont(const std::u16string& file);

enum class ElevatedRun {
    kRemoved,      // the program ran and removed the font
    kNotRemoved,   // the program ran and could not remove it; it has told the user why
    kDeclined,     // the user did not give administrator rights
    kNotStarted,   // the program could not be started; `error` says why
};

// Starts TRSetting.exe beside this library with its "/removefont" switch for the backup folder and
// the selected stub or font file, with administrator rights, and waits for it to end. Window messages
// of the calling thread are dispatched meanwhile (it is Explorer's window thread).
ElevatedRun RemoveWithAdministratorRights(const wchar_t* backup, const std::wstring& selected, DWORD& error);
