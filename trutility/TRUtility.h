#pragma once
// The exports of TRUtility.dll and the records that cross them. The settings program links against
// these; the Explorer extensions bind them by name at run time (see the *Proc typedefs).
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <vector>

// One define: a rendering rule. The layout is also the record of the define export file, so it never
// changes: 692 bytes, fields in this order.
struct SettingData {
    wchar_t DefineName[15];
    wchar_t Condition[60];
    wchar_t SampleText[260];
    int32_t FitSingleLine;
    int32_t KeepFontSize;
    uint32_t BackColor1;
    uint32_t BackColor2;
    uint32_t ForeColor;
};
static_assert(sizeof(SettingData) == 692, "SettingData is a stored record layout");
static_assert(offsetof(SettingData, FitSingleLine) == 672);

// One face of a font file. Copied by value and kept in the caller's std::vector.
struct FontData {
    wchar_t faceName[40];      // the name the font engine is asked for
    wchar_t displayName[100];  // the name shown to users, and drawn when a define has no sample
    bool italic;
    bool bold;
};

// GDI+ objects cross as their flat-API handles.
namespace Gdiplus {
class GpBitmap;
class GpGraphics;
} // namespace Gdiplus
using Gdiplus::GpBitmap;
using Gdiplus::GpGraphics;

// One piece of a font's sample drawn by DrawSamplesFromBinary, in one of the font's faces.
struct SampleCell {
    uint32_t face;    // index into the faces GetFontDataFromBinary lists
    int32_t x, y, width, height;  // pixels of the target; a cell not wholly inside it is passed over
    // 0: the define's row for this face alone, as a thumbnail row (background, sample laid out in
    // the cell). Otherwise the sample on one line at this character height in pixels, from the
    // cell's top left corner, cut at its right edge.
    int32_t pixelSize;
    uint32_t ink;     // colour of a line's text, 0xAARRGGBB; a row takes the define's
};

// A colour whose top byte is non-zero is "not set": the system colour applies.
constexpr uint32_t kColorNotSet = 0xFF000000u;

// Mode for LoadSetting: read the condition only.
constexpr int kLoadConditionOnly = 1;

#ifdef TRUTILITY_BUILD
#define TRUTILITY_API __declspec(dllexport)
#else
#define TRUTILITY_API __declspec(dllimport)
#endif

// Exported under its C++ decorated name.
TRUTILITY_API int LoadSetting(int index, SettingData* setting, int mode);

// Lists the faces of a font file (TrueType, OpenType, collections, WOFF, WOFF2), read once into
// memory. Nothing is registered with the font engine: faces are drawn through DrawStringFromFile or
// RegisterFontFace, which give the engine only what the font road made of them.
TRUTILITY_API void GetFontDataFromFile(const wchar_t* path, std::vector<FontData>* faces);

extern "C" {
TRUTILITY_API SettingData* LoadDefine(SettingData* out, const wchar_t* fileName);

// Sample rendering onto a caller's 32-bit ARGB bitmap, one row per face; GDI+ must be started.
// `define` is the caller's own copy: its SampleText is used as scratch while drawing and is left
// as found. Nothing is drawn (not even the background) when no face can be read.
TRUTILITY_API void DrawStringFromFile(GpBitmap* target, SettingData* define, const wchar_t* path);
TRUTILITY_API void DrawStringFromBinary(GpBitmap* target, SettingData* define, const void* bytes, uint32_t size);
TRUTILITY_API void DrawStringFromNames(GpBitmap* target, SettingData* define, std::vector<FontData>* faces);
// Rows only, through the caller's drawing context; `target` gives the size.
TRUTILITY_API void DrawStringFromNamesG(GpGraphics* graphics, GpBitmap* target, SettingData* define,
                                        std::vector<FontData>* faces);
// Face `index` (of GetFontDataFromFile's list) of a font file registered for this process to draw
// `text`: cut to those characters, renamed, passed by the sanitiser, registered from memory.
// `faceName` (40 units) gets the only name the engine knows it by. Answers the registration, to be
// released with ReleaseFontFace, or null (and an empty name) when the face cannot be drawn.
TRUTILITY_API void* RegisterFontFace(const wchar_t* path, int index, const wchar_t* text, wchar_t* faceName);
TRUTILITY_API void ReleaseFontFace(void* face);
// The faces of a font file's bytes as DrawSamplesFromBinary draws them: one for each font of a
// collection, in the file's order. `faces` (room for `capacity`) receives the first ones; the answer
// is how many there are, 0 for bytes that are no font. The font engine never sees the bytes here.
TRUTILITY_API uint32_t GetFontDataFromBinary(const void* bytes, uint32_t size, FontData* faces, uint32_t capacity);
// Draws each cell onto the caller's 32-bit ARGB bitmap (GDI+ must be started). Each face that cells
// name is made drawable by the font road once, for all its cells. Nothing is drawn for bytes that are
// no font.
TRUTILITY_API void DrawSamplesFromBinary(GpBitmap* target, SettingData* define, const void* bytes, uint32_t size,
                                         const SampleCell* cells, uint32_t count);
// Starts TRSetting.exe beside this library with /Image and the font path; true when it started.
TRUTILITY_API bool CreateImage(const wchar_t* path);

// Virtual font stubs (.vft). Both conversions fill `out` (260 units, always terminated) with the
// font a stub names, or leave it empty when the file is not a stub or its text names no font.
// ConvVFontPathFromFile is false only when a stub cannot be read. ConvVFontPathFromBin reads at
// most 260 units of `text`; callers pass a NUL-terminated copy of the bytes they read.
TRUTILITY_API bool ConvVFontPathFromFile(const wchar_t* path, wchar_t* out);
TRUTILITY_API bool ConvVFontPathFromBin(const wchar_t* text, wchar_t* out);
// Removes the installed font that `path` (a stub or a font file, in a 260-unit buffer) names: its
// entries in the system's and the user's installed-font lists, the font file and the stub. For a stub
// `path` is overwritten with the font's path. With a non-empty `backup` folder the font is first
// copied there under a name not yet taken, and kept when that copy fails. A font Windows ships is never
// removed. A system font that this process lacks the rights to remove is removed by TRSetting.exe,
// started with administrator rights after a question that names it; the call waits for it. A font that
// stays installed is named in a message box with the reason. Answers the number of list entries
// removed.
TRUTILITY_API int UninstallFromVFont(const wchar_t* backup, wchar_t* path);
// The same for a whole selection of `count` path buffers: one question and one start of TRSetting.exe
// for all the system fonts among them that need administrator rights.
TRUTILITY_API int UninstallFromVFonts(const wchar_t* backup, wchar_t* const* paths, uint32_t count);
// The settings program's "/removefont", run with administrator rights: removes the font that the
// machine's installed-font list lists for `file`, when its file lies in the Fonts folder and does not
// come with Windows. `file` is only looked up, never acted on; nothing else is touched. A font that
// stays is named in a message box with the reason. Answers the number of list entries removed.
TRUTILITY_API int RemoveListedSystemFont(const wchar_t* file);
// Asks whether and where to keep a backup; `out` (260 units) gets the folder ending in "\", or
// empty for no backup. Answers 1 when a folder was chosen.
TRUTILITY_API int GetBuckupFolder(wchar_t* out);
}

using LoadDefineProc = SettingData* (*)(SettingData*, const wchar_t*);
using DrawStringFromFileProc = void (*)(GpBitmap*, SettingData*, const wchar_t*);
using DrawStringFromBinaryProc = void (*)(GpBitmap*, SettingData*, const void*, uint32_t);
using GetFontDataFromBinaryProc = uint32_t (*)(const void*, uint32_t, FontData*, uint32_t);
using DrawSamplesFromBinaryProc = void (*)(GpBitmap*, SettingData*, const void*, uint32_t, const SampleCell*, uint32_t);
using CreateImageProc = bool (*)(const wchar_t*);
using ConvVFontPathFromFileProc = bool (*)(const wchar_t*, wchar_t*);
using ConvVFontPathFromBinProc = bool (*)(const wchar_t*, wchar_t*);
using UninstallFromVFontProc = int (*)(const wchar_t*, wchar_t*);
using UninstallFromVFontsProc = int (*)(const wchar_t*, wchar_t* const*, uint32_t);
using GetBuckupFolderProc = int (*)(wchar_t*);
