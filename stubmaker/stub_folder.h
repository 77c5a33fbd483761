#pragma once
// Stubmaker's work over plain lists and bytes: what an installed-font value becomes, which font a
// stub names, which stubs are written, kept and deleted, and the order of the whole run. Windows
// supplies the registry, the file system and the progress dialog through StubmakerHost.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/virtual_font_stub.h"

namespace glyphpeek::stubmaker {

// Buffers of the installed-font enumeration. The data holds every path a stub can hold (259 units
// and the terminator); the name is not used, so it takes the longest name the registry allows. A value
// that does not fit them is passed over.
inline constexpr std::size_t kValueNameUnits = 16384;
inline constexpr std::size_t kValueDataBytes = kPathBufferUnits * sizeof(char16_t);

enum class FontValueRead {
    kRead,        // the value's data was read
    kPassedOver,  // a value is there, but its name or data does not fit: it names no stub
    kEnd,         // no more values
};

// "/folder" at the very start of the command line, any letter case; longer words count too.
bool IsFolderSwitch(std::u16string_view commandLine);

// Drive and directory of the executable followed by "vf\". Empty when that does not fit a path
// buffer: a cut folder would be some other folder, whose stubs the run would then delete.
std::u16string StubFolderFor(std::u16string_view exePath);

// The entry of one installed-font value, from the value's bytes (UTF-16LE, up to the first NUL):
// a plain string that is not an absolute path ("x:...") lies in the Fonts folder and becomes
// "-:" + data; every other value is kept as it is. This is the text a stub holds.
std::u16string InstalledFontEntry(const std::uint8_t* data, std::size_t size, bool plainString);

// An entry or stub text made a path by Stubmaker's rule (StubTextRule::kFirstUnitDash).
std::u16string ResolveEntry(std::u16string_view entry, std::u16string_view fontsFolder);

// The text of a stub file: at most the bytes a stub can hold, up to the first NUL unit.
std::u16string StubTextFromBytes(const std::uint8_t* data, std::size_t size);

// A stub's content: the entry as UTF-16LE without byte-order mark, then one NUL unit.
std::vector<std::uint8_t> StubBytes(std::u16string_view entry);

// Where the stub of a resolved font goes: stub folder + file name + extension + ".vft", for
// .ttf, .ttc and .otf (any case) only. Empty when the font gets no stub or the path does not fit.
std::u16string StubPathFor(std::u16string_view resolvedFont, std::u16string_view stubFolder);

// Whether two paths name one file as the file system compares them (letter case ignored).
using PathEquals = std::function<bool(std::u16string_view, std::u16string_view)>;
// The answer with ASCII letters folded, for platforms that do not supply their own.
bool SamePathAscii(std::u16string_view a, std::u16string_view b);

struct FontFileData {
    std::u16string vfontPath; // the stub file
    std::u16string fontPath;  // the font it names, resolved; empty when it could not be read
};

struct StubWrite {
    std::u16string path;
    std::vector<std::uint8_t> bytes;
};

// Stages 4 and 5 over the stubs found: each installed font claims the first unclaimed stub that
// names it exactly (case-sensitive), or asks for its stub to be written; the stubs nobody claimed
// are dead, except those whose file was just rewritten for a current font.
class StubReconciler {
public:
    StubReconciler(std::vector<FontFileData> stubs, std::u16string fontsFolder, std::u16string stubFolder);

    // One installed-font entry. True: a stub must be written, as `write` says. False: a current stub
    // was claimed, or this kind of font gets no stub.
    bool Claim(std::u16string_view entry, StubWrite& write);
    // The stub at `path` now holds a current font.
    void Written(std::u16string path);
    // The stubs to delete, in scan order.
    std::vector<std::u16string> DeadStubs(const PathEquals& samePath = SamePathAscii) const;

    const std::vector<FontFileData>& Unclaimed() const { return stubs_; }

private:
    std::vector<FontFileData> stubs_;
    std::vector<std::u16string> written_;
    std::u16string fontsFolder_;
    std::u16string stubFolder_;
};

struct FolderEntry {
    std::u16string name;
    bool isFolder = false; // a folder to descend into
};

// What one run needs from the platform.
class StubmakerHost {
public:
    virtual ~StubmakerHost() = default;
    // Stage 1..5 begins (shows its text).
    virtual void ShowStage(int stage) = 0;
    virtual void SetRange(std::size_t count) = 0;
    virtual void SetPosition(std::size_t index) = 0;
    // The installed-font list (the system's, then the current user's): opened once, read by index
    // (bytes of a value's data and whether it is a plain string) until its end, then closed.
    virtual void OpenFontList() = 0;
    virtual FontValueRead FontValue(std::size_t index, std::vector<std::uint8_t>& data, bool& plainString) = 0;
    virtual void CloseFontList() = 0;
    // The entries of a folder ("." and ".." may be among them). Folders that are links elsewhere
    // are reported as not to descend into.
    virtual std::vector<FolderEntry> ListFolder(std::u16string_view folder) = 0;
    // At most `limit` bytes of a file; false when it cannot be opened.
    virtual bool ReadStub(std::u16string_view path, std::size_t limit, std::vector<std::uint8_t>& bytes) = 0;
    // Creates or truncates the file and writes the bytes; false when that fails.
    virtual bool WriteStub(std::u16string_view path, const std::vector<std::uint8_t>& bytes) = 0;
    virtual void DeleteStub(std::u16string_view path) = 0;
    virtual void OpenFolder(std::u16string_view folder) = 0;
    virtual bool SamePath(std::u16string_view a, std::u16string_view b) = 0;
};

// Stage 2: every .vft file under the folder and its sub-folders, in scan order. A folder whose
// scan would begin after the stop flag is set is not scanned.
std::vector<FontFileData> ScanStubs(StubmakerHost& host, std::u16string_view folder, const std::atomic<bool>& stop);

// The whole run. Returns true when it ran to the end and opened the folder; false when the stop
// flag ended it (the work done so far stays done).
bool RunStubmaker(StubmakerHost& host, std::u16string_view fontsFolder, std::u16string_view stubFolder,
                  const std::atomic<bool>& stop);

} // namespace glyphpeek::stubmaker
