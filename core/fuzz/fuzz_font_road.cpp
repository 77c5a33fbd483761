// The whole font road over hostile bytes: decoding, the member count, cutting (variable fonts at
// their named instances too), renaming and the sanitiser's verdict must end in a font or a refusal,
// never a crash or a read outside the bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/font_road.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto font = glyphpeek::FontBytes::From(std::vector<std::uint8_t>(data, data + size));
    if (!font) return 0;
    const glyphpeek::FaceNames names{u"GP0000000000000000", false, false};
    for (std::uint32_t member = 0; member < font->members() && member < 2; ++member) {
        glyphpeek::MakeDrawableFace(font->sfnt(), member, U"Ag\u6F22", names);
        // Named instances of a variable face, pinned as listed (hostile 'fvar' and variation tables).
        const auto instances = glyphpeek::NamedInstances(font->sfnt(), member);
        for (std::size_t i = 0; i < instances.size() && i < 2; ++i)
            glyphpeek::MakeDrawableFace(font->sfnt(), member, U"Ag", names, instances[i].pins);
    }
    return 0;
}
