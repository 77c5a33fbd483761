// libFuzzer target for Stubmaker's byte readers and stub paths. Input: byte 0 chooses the value
// type (bit 0: plain string); the rest is a registry value's data or a stub file's bytes.
#include "stubmaker/stub_folder.h"
#include "core/virtual_font_stub.h"
#include "testsupport/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    using namespace glyphpeek;
    using namespace glyphpeek::stubmaker;
    const bool plainString = data[0] & 1;
    ++data;
    --size;
    const std::u16string_view fonts = u"C:\\windows\\Fonts\\";
    const std::u16string_view stubs = u"C:\\app\\vf\\";

    const std::u16string entry = InstalledFontEntry(data, size, plainString);
    Check(entry.find(u'\0') == std::u16string::npos && entry.size() <= size / 2 + 2);
    // A written stub reads back as its entry (as far as a stub can hold it).
    const std::vector<std::uint8_t> bytes = StubBytes(entry);
    Check(bytes.size() == 2 * entry.size() + 2);
    const std::u16string back = StubTextFromBytes(bytes.data(), bytes.size());
    Check(back == std::u16string_view(entry).substr(0, kMaxPathUnits));

    const std::u16string text = StubTextFromBytes(data, size);
    Check(text.size() <= kMaxPathUnits && text.find(u'\0') == std::u16string::npos);
    const std::u16string font = ResolveEntry(text, fonts);
    const std::u16string path = StubPathFor(font, stubs);
    Check(path.empty() || (path.size() <= kMaxPathUnits && path.compare(0, stubs.size(), stubs) == 0 &&
                           IsStubPath(path) && path.find_first_of(u"\\/:", stubs.size()) == std::u16string::npos));

    StubReconciler reconciler({{u"C:\\app\\vf\\s.vft", font}}, std::u16string(fonts), std::u16string(stubs));
    StubWrite write;
    const bool wrote = reconciler.Claim(entry, write);
    Check(!wrote || (!write.path.empty() && write.bytes == bytes));
    Check(reconciler.DeadStubs().size() <= 1);
    (void)IsFolderSwitch(text);
    (void)StubFolderFor(text);
    return 0;
}
