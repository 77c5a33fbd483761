#pragma once
// How the settings program connects the Explorer extension libraries to the system and takes them away
// again: registration of the library of the running Explorer generation, the per-font-type handler
// entries, and the clean-up of what the product stores. No operation reports a failure: each step that
// cannot be done is passed over and the next one runs.
#include <windows.h>

#include <string>

namespace glyphpeek::trsetting {

// Indexes of the font types the handlers can serve. The stub type and the types from kFirstAlwaysServed
// on (web fonts and OpenType collections, which Windows does not install and no other program serves
// with thumbnails) are attached whenever the library is registered; the user ticks the other three.
enum FontTypeIndex : int {
    kVirtualFont = 0,
    kTrueType = 1,
    kTrueTypeCollection = 2,
    kOpenType = 3,
    kWoff = 4,
    kWoff2 = 5,
    kOpenTypeCollection = 6,
};
inline constexpr int kFontTypeCount = 7;
inline constexpr int kFirstAlwaysServed = kWoff;
constexpr bool IsAlwaysServed(int index) { return index == kVirtualFont || index >= kFirstAlwaysServed; }

// Windows before Vista (major version below 6) have the classic Explorer; later ones the Vista generation.
enum class ShellGeneration { kClassic, kVista };
// Asked of the system each time: the answer picks the library, handler key and classes.
ShellGeneration CurrentGeneration() noexcept;

// The folder of the running program, with a trailing backslash; empty when its path does not fit.
std::wstring ProgramFolder();
// The program's folder + "vf\": the virtual font folder that the virtual-font manager fills.
std::wstring StubFolder();

// Starts regsvr32 on the generation's library beside the program (silently unless `showResult`) and
// does not wait; then enters the .vft handlers at once, and those of the font types already served anew.
void RegisterExtensionLibrary(bool showResult);
// Runs regsvr32 /u on the generation's library beside the program and waits until it has ended.
void UnregisterExtensionLibrary(bool showResult);
// Runs regsvr32 /s on the generation's library beside the program, waits until it has ended and answers
// its exit code (0 when registered, -1 when it could not be started). On success it enters the .vft
// handlers and those of the font types already served anew; on failure it takes back whatever the registration wrote. Nothing is shown: an installer
// relies on the answer.
int RegisterExtensionLibraryAndWait();

// The thumbnail handler, the preview handler and the type overlay (Vista generation) and the
// "UpdateThumbnail" menu entry of a font type. Out-of-range indexes do nothing. What another program
// had in any of them is kept in a value beside it when Glyphpeek is attached and put back when it is
// detached; detaching deletes only values that name Glyphpeek's own classes (or its empty type overlay).
void RegisterFontType(int index);
void UnregisterFontType(int index);
// The thumbnail handler key of the current generation exists for that type (its value is not compared).
bool IsFontTypeRegistered(int index);

// The same for a given generation, for callers that know it.
void RegisterFontType(int index, ShellGeneration generation);
void UnregisterFontType(int index, ShellGeneration generation);
bool IsFontTypeRegistered(int index, ShellGeneration generation);

// Deletes the class keys that registration and the font-type entries leave behind once nothing else is
// in them: empty shellex chains, empty type keys, and the .vft type (the product's own) when it holds no
// more than its registration wrote. Keys holding anything of another program stay.
void RemoveLeftoverClassKeys();

// Removes HKCU "Software\Ormsby Software\Typorama" with everything under it, and the maker's key when
// nothing else is left in it.
void DeleteStoredSettings();
// Removes the virtual font folder with everything in it that can be deleted.
void DeleteStubFolder();
// Deletes Explorer's cache files ("thumbcache_*.db" and "iconcache_*.db" in the user's local
// "Microsoft\Windows\Explorer"), the folder's attributes restored afterwards. Only those files, only
// directly in that folder, and never through a link: anything else there stays.
void ClearThumbnailCache();

// Removes `folder` (with or without trailing backslashes) and what it holds: what cannot be deleted
// stays, with the folders that hold it. Links to other folders are removed, never followed.
void RemoveFolderTree(const std::wstring& folder);

} // namespace glyphpeek::trsetting
