// libFuzzer target for the stub text readers. Input: byte 0 gives the Fonts folder length (0..63
// units, one unit per byte); the rest is read as little-endian UTF-16 units, the way a stub file
// or a stream's bytes arrive (an odd last byte is dropped).
#include "core/virtual_font_stub.h"
#include "testsupport/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using fuzz::Check;

namespace {

bool StartsWith(std::u16string_view s, std::u16string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::size_t folderUnits = data[0] % 64;
    ++data;
    --size;
    if (folderUnits > size) folderUnits = size;
    std::u16string folder(data, data + folderUnits);
    data += folderUnits;
    size -= folderUnits;
    std::u16string units;
    for (std::size_t i = 0; i + 1 < size; i += 2) units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));

    using namespace glyphpeek;
    const std::u16string_view text = StubText(units);
    Check(text.size() <= kMaxPathUnits && text.find(u'\0') == std::u16string_view::npos);
    Check(StartsWith(units, text));

    // The Fonts folder joins with exactly one separator, whether or not it ends in one.
    std::u16string joined = folder;
    if (!joined.empty() && joined.back() == u'\\') joined.pop_back();
    joined.push_back(u'\\');
    for (const std::u16string& target : {StubTarget(units, folder), RemovalTarget(units, folder),
                                         InstalledFontFile(units, true, folder), InstalledFontFile(units, false, folder)}) {
        Check(target.size() <= kMaxPathUnits);
        // Either the text itself or a name in the Fonts folder.
        Check(target.empty() || target == text || StartsWith(target, joined));
    }
    const std::u16string stub = StubTarget(units, folder);
    Check(stub.empty() || stub == RemovalTarget(units, folder));

    const std::u16string finished = FinishBackupFolder(units);
    Check(finished.empty() || (finished.size() <= kMaxPathUnits && finished.back() == u'\\' &&
                               StartsWith(finished, std::u16string_view(units).substr(0, finished.size() - 1))));
    Check(FileNamePart(units).find_first_of(u"\\/") == std::u16string_view::npos);
    Check(IsStubPath(units) == (units.size() >= 4 && IsStubPath(std::u16string_view(units).substr(units.size() - 4))));
    return 0;
}
