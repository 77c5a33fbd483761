#pragma once
// Removal of system-wide fonts from a process without administrator rights (Explorer on Vista and
// later): the settings program, whose manifest asks for those rights, is started to do it. It is
// handed only the fonts' files, which it looks up in the machine's installed-font list; the backup
// copies and the stubs are the calling process's own work, before and after.
#include <windows.h>

#include <string>
#include <vector>

// Whether this process may delete the system's installed-font list values and the font file. In the
// test build of the library, the environment variable GLYPHPEEK_TEST_ELEVATION ("required" or
// "declined") answers no: Wine grants every right, so the road through the settings program can be
// taken only on request. The shipped library has no such variable.
bool MayRemoveSystemFont(const std::u16string& file);

enum class ElevatedRun {
    kRan,         // the program ran; which fonts went is for the caller to look up
    kDeclined,    // the user did not give administrator rights
    kNotStarted,  // the program could not be started; `error` says why
};

// Starts TRSetting.exe beside this library with its "/removefont" switch and the font files, with
// administrator rights, and waits for it to end. Window messages of the calling thread are dispatched
// meanwhile (it is Explorer's window thread). One start, and so one consent, for all the files that
// fit its command line.
ElevatedRun RemoveWithAdministratorRights(const std::vector<std::u16string>& files, DWORD& error);
