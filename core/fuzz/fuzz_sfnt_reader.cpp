// libFuzzer target for the sfnt face and family reader: the input is the font file.
#include "core/sfnt_reader.h"
#include "testsupport/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glyphpeek;
    const std::span<const std::uint8_t> bytes(data, size);
    const auto faces = ReadSfntFaces(bytes);
    const auto families = ReadFontCollection(bytes);
    Check(faces.has_value() == families.has_value());
    if (!faces) return 0;
    Check(!faces->empty() && families->size() <= faces->size());
    for (const SfntFace& face : *faces) Check(!face.family.empty());
    for (std::size_t i = 0; i < families->size(); ++i) {
        const FontFamilyInfo& family = (*families)[i];
        Check(!family.name.empty() && family.styles != 0 && family.styles < 16);
        for (std::size_t j = 0; j < i; ++j) Check((*families)[j].name != family.name);
    }
    return 0;
}
