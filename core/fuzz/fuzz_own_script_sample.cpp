// libFuzzer target for the reader of a face's characters and its own sample: the input is the font
// file, read as its first member.
#include "core/own_script_sample.h"
#include "testsupport/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glyphpeek;
    const FaceCharacters face(std::span<const std::uint8_t>(data, size), 0);
    const OwnSample sample = OwnScriptSample(face);
    Check((sample.kind == OwnSample::Kind::kNothing) == sample.text.empty());
    Check(sample.text.size() <= 2 * kOwnSampleChars);
    // Every character of the sample is one the face maps, so the sample draws.
    Check(sample.text.empty() || MapsSomeVisibleCharacter(face, sample.text));
    MapsSomeVisibleCharacter(face, u"Sample \U000104B0");
    return 0;
}
