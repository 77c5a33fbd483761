// The libraries of others as tools/third_party built them, linked the way the product links them:
// HarfBuzz cuts a real font down to two characters and OTS passes the cut, and refuses it cut short.
// Runs in both trees: the mingw copies under Wine, the host copies under the sanitisers.
#include <gtest/gtest.h>

#include <hb-subset.h>
#include <hb.h>
#include "core/ots_headers.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string_view>
#include <vector>

namespace {

#ifdef _WIN32
const char kDejaVu[] = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
#else
const char kDejaVu[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
#endif

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct BlobDeleter { void operator()(hb_blob_t* b) const { hb_blob_destroy(b); } };
struct FaceDeleter { void operator()(hb_face_t* f) const { hb_face_destroy(f); } };
struct FontDeleter { void operator()(hb_font_t* f) const { hb_font_destroy(f); } };
struct InputDeleter { void operator()(hb_subset_input_t* i) const { hb_subset_input_destroy(i); } };
using Face = std::unique_ptr<hb_face_t, FaceDeleter>;

// A face over bytes the caller keeps alive.
Face FaceOf(const Bytes& bytes) {
    std::unique_ptr<hb_blob_t, BlobDeleter> blob(hb_blob_create(reinterpret_cast<const char*>(bytes.data()),
                                                                static_cast<unsigned>(bytes.size()),
                                                                HB_MEMORY_MODE_READONLY, nullptr, nullptr));
    return Face(hb_face_create(blob.get(), 0));
}

// The font cut down to the characters given (and .notdef, which the subsetter always keeps).
Bytes Subset(const Bytes& font, std::u32string_view characters) {
    Face face = FaceOf(font);
    std::unique_ptr<hb_subset_input_t, InputDeleter> input(hb_subset_input_create_or_fail());
    if (!input) return {};
    for (char32_t c : characters) hb_set_add(hb_subset_input_unicode_set(input.get()), c);
    Face subset(hb_subset_or_fail(face.get(), input.get()));
    if (!subset) return {};
    std::unique_ptr<hb_blob_t, BlobDeleter> blob(hb_face_reference_blob(subset.get()));
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob.get(), &length);
    return Bytes(data, data + length);
}

// What OTS writes out for the bytes, or nothing when it refuses them.
Bytes Sanitise(const Bytes& font) {
    ots::OTSContext context;
    ots::ExpandingMemoryStream output(font.size(), 64 * 1024 * 1024);
    if (!context.Process(&output, font.data(), font.size())) return {};
    const auto* data = static_cast<const uint8_t*>(output.get());
    return Bytes(data, data + output.Tell());
}

bool Maps(const Bytes& font, char32_t c) {
    Face face = FaceOf(font);
    std::unique_ptr<hb_font_t, FontDeleter> hbFont(hb_font_create(face.get()));
    hb_codepoint_t glyph = 0;
    return hb_font_get_nominal_glyph(hbFont.get(), c, &glyph) && glyph != 0;
}

TEST(ThirdParty, HarfBuzzSubsetPassesOts) {
    const Bytes font = ReadFile(kDejaVu);
    ASSERT_GT(font.size(), 100000u) << kDejaVu;

    const Bytes subset = Subset(font, U"Ag");
    ASSERT_FALSE(subset.empty());
    EXPECT_LT(subset.size(), font.size() / 20);
    EXPECT_EQ(hb_face_get_glyph_count(FaceOf(subset).get()), 3u);  // .notdef, A, g

    const Bytes sanitised = Sanitise(subset);
    ASSERT_FALSE(sanitised.empty());
    EXPECT_EQ(hb_face_get_glyph_count(FaceOf(sanitised).get()), 3u);
    EXPECT_TRUE(Maps(sanitised, U'A'));
    EXPECT_TRUE(Maps(sanitised, U'g'));
    EXPECT_FALSE(Maps(sanitised, U'B'));
}

TEST(ThirdParty, OtsRefusesATruncatedFont) {
    const Bytes subset = Subset(ReadFile(kDejaVu), U"Ag");
    ASSERT_FALSE(subset.empty());
    EXPECT_FALSE(Sanitise(subset).empty());
    EXPECT_TRUE(Sanitise(Bytes(subset.begin(), subset.begin() + subset.size() / 2)).empty());
}

}  // namespace
