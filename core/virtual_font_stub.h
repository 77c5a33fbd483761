#pragma once
// Virtual font stubs (.vft) and the path texts around them: which file a stub names, how an
// installed-font list entry becomes a file path, and how a chosen backup folder is finished.
// Platform-neutral: the callers fetch the Fonts folder and the stub bytes themselves.
//
// A stub holds UTF-16 text in one of two forms, told apart by its first two units:
//   "-:name"      name is a file in the system Fonts folder
//   "D:\dir\x.otf" an absolute path (second unit ':'), taken as it is
// Anything else names no font.
#include <cstddef>
#include <string>
#include <string_view>

namespace glyphpeek {

// Path buffers at the library's boundary: 260 units, terminator included.
inline constexpr std::size_t kPathBufferUnits = 260;
inline constexpr std::size_t kMaxPathUnits = kPathBufferUnits - 1;
// Stub readers take at most this many bytes of a stub file.
inline constexpr std::size_t kStubReadBytes = kPathBufferUnits * sizeof(char16_t);

// Ends in ".vft", ignoring letter case. Paths shorter than the ending are not stubs.
bool IsStubPath(std::u16string_view path);

// The text of a stub from the units read: up to the first NUL. With no NUL among them, the last
// unit that a full path buffer would give its terminator is dropped, so the text always fits a
// path buffer with its terminator.
std::u16string_view StubText(std::u16string_view units);

// Fonts folder + "\" + name; empty when the folder or the name is empty or the result does not
// fit a path buffer (a cut path would name another file).
std::u16string JoinFontsFolder(std::u16string_view fontsFolder, std::u16string_view name);

// The one reader of stub text and installed-font entries. The engine and Stubmaker read the same
// text by two rules, kept side by side here so that the difference stays visible:
enum class StubTextRule {
    // The engine: "-:name" is Fonts folder + "\" + name, "X:..." is taken as it is, any other text
    // names no font (empty); a result that does not fit a path buffer is empty too (a cut path would
    // name another file).
    kEitherForm,
    // Stubmaker's reconciliation: any text whose first unit is "-" is Fonts folder + the text from
    // its third unit (the second is skipped unseen); any other text is the path itself. Results are
    // only compared with each other, never opened.
    kFirstUnitDash,
};

// The file a stub text (up to its first NUL, at most a path buffer) names. The Fonts folder may end
// in "\" or not: exactly one separator joins it to a name.
std::u16string ResolveStubText(std::u16string_view text, std::u16string_view fontsFolder, StubTextRule rule);

// The font a stub text names for the engine (kEitherForm).
std::u16string StubTarget(std::u16string_view text, std::u16string_view fontsFolder);

// The file that font removal looks for: the named font for the "-:" form, otherwise the text
// itself, which the installed-font list then either lists or not.
std::u16string RemovalTarget(std::u16string_view text, std::u16string_view fontsFolder);

// Whether installed-font list data lies in the Fonts folder: plain-string data that is not an
// absolute path ("x:..."). Every other value is used unchanged.
bool IsFontsFolderRelative(std::u16string_view data, bool plainString);

// The entry (stub text) of installed-font list data: "-:" + data when it lies in the Fonts folder,
// the data unchanged otherwise.
std::u16string InstalledFontEntry(std::u16string_view data, bool plainString);

// The file an installed-font list entry names: plain-string data that is not an absolute path
// ("x:...") lies in the Fonts folder; all other data is used unchanged. Empty when that file
// cannot be formed.
std::u16string InstalledFontFile(std::u16string_view data, bool plainString, std::u16string_view fontsFolder);

// The file name with its extension: everything after the last backslash or slash.
std::u16string_view FileNamePart(std::u16string_view path);

// A folder chosen as backup location, ending in "\"; empty when it is empty or the result does
// not fit a path buffer.
std::u16string FinishBackupFolder(std::u16string_view folder);

// The name a backup copy takes when `fileName` is already taken `attempt` - 1 times: the name itself
// for the first attempt, then " (2)", " (3)", ... before its extension ("arial (2).ttf").
std::u16string NumberedFileName(std::u16string_view fileName, unsigned attempt);

} // namespace glyphpeek
