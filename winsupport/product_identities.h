#pragma once
// The product's identities in one place: the COM classes, application ids and type libraries of the
// two extension libraries, the shell's handler slots they fill, and the registry keys of the product.
// The registrar scripts (.rgs), the IDL files and the package source state the same ids for their own
// tools; the extension tests read the registry those write and compare it with this header.
namespace glyphpeek::ids {

// The shell's handler slots under "<type>\shellex": the interface a handler there serves.
inline constexpr wchar_t kExtractImageSlot[] = L"{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}";      // IExtractImage
inline constexpr wchar_t kThumbnailProviderSlot[] = L"{E357FCCD-A995-4576-B01F-234630154E96}"; // IThumbnailProvider
inline constexpr wchar_t kPreviewHandlerSlot[] = L"{8895b1c6-b41f-4c1c-a562-0d564250836f}";    // IPreviewHandler

// One extension library: its file, its registry name, and its ids.
struct ExtensionLibrary {
    const wchar_t* file;
    const wchar_t* name;            // "Typorama", "TyporamaVista": AppID "<name>.DLL", ProgIDs "<name>.*"
    const wchar_t* appId;
    const wchar_t* thumbnailClass;  // CLSIDs
    const wchar_t* shellMenuClass;
    const wchar_t* typeLibrary;     // LIBID
    const wchar_t* thumbnailSlot;   // the shell interface its thumbnail class serves
    bool vista;                     // the Vista generation: IThumbnailProvider and the TypeOverlay value
    const wchar_t* previewClass;    // null: that generation's Explorer has no preview pane
};

inline constexpr ExtensionLibrary kTyporama{
    L"Typorama.dll", L"Typorama", L"{B0BA7238-7292-46CD-9CAF-215613CDACF7}",
    L"{5025A292-D603-4BBC-AAAE-EED7600234E9}", L"{F91791B9-A509-4FAD-B778-478AE241DCCC}",
    L"{C0062F76-E363-442E-98FD-BB99DA949CE8}", kExtractImageSlot, false, nullptr};

inline constexpr ExtensionLibrary kTyporamaVista{
    L"TyporamaVista.dll", L"TyporamaVista", L"{D38EDE1C-B716-4C1B-AA67-E096E201D714}",
    L"{A8B69155-CE79-4778-9656-47953D0D5B0B}", L"{5C5A968A-9EE3-4436-8409-D1D4FEA483D6}",
    L"{C57A52A9-BDF8-4E68-9268-E3571DD7EA34}", kThumbnailProviderSlot, true,
    L"{440EC63A-E34E-4EFA-A5B7-3289D7128F57}"};

// Windows' preview host (prevhost.exe), in which preview handlers run, as its application id; and
// the machine's (or the user's) list of preview handlers, each value a class and its display name.
inline constexpr wchar_t kPreviewHostAppId[] = L"{6d2b5079-2f0b-48dd-ab7f-97cec514d30b}";
inline constexpr wchar_t kPreviewHandlersKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\PreviewHandlers";

// The defines and the other settings of the current user live under HKCU <kProductKey>; the maker's
// key holds nothing else of ours.
inline constexpr wchar_t kMakerKey[] = L"Software\\Ormsby Software";
inline constexpr wchar_t kProductName[] = L"Typorama";
inline constexpr wchar_t kProductKey[] = L"Software\\Ormsby Software\\Typorama";

} // namespace glyphpeek::ids
