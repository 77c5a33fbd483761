#pragma once
// Owners of HarfBuzz objects, so each is destroyed exactly once on every way out.
#include <hb-subset.h>
#include <hb.h>

#include <cstdint>
#include <memory>
#include <span>

namespace glyphpeek {

struct HbDestroy {
    void operator()(hb_blob_t* p) const noexcept { hb_blob_destroy(p); }
    void operator()(hb_face_t* p) const noexcept { hb_face_destroy(p); }
    void operator()(hb_font_t* p) const noexcept { hb_font_destroy(p); }
    void operator()(hb_set_t* p) const noexcept { hb_set_destroy(p); }
    void operator()(hb_subset_input_t* p) const noexcept { hb_subset_input_destroy(p); }
};
using HbBlob = std::unique_ptr<hb_blob_t, HbDestroy>;
using HbFace = std::unique_ptr<hb_face_t, HbDestroy>;
using HbFont = std::unique_ptr<hb_font_t, HbDestroy>;
using HbSet = std::unique_ptr<hb_set_t, HbDestroy>;
using HbSubsetInput = std::unique_ptr<hb_subset_input_t, HbDestroy>;

// A blob over bytes the caller keeps alive for the blob's life (HarfBuzz copies nothing).
inline HbBlob BlobOver(std::span<const std::uint8_t> bytes) {
    return HbBlob(hb_blob_create(reinterpret_cast<const char*>(bytes.data()), static_cast<unsigned>(bytes.size()),
                                 HB_MEMORY_MODE_READONLY, nullptr, nullptr));
}

// Face `index` of the bytes (a member of a collection, or 0).
inline HbFace FaceOver(std::span<const std::uint8_t> bytes, unsigned index) {
    const HbBlob blob = BlobOver(bytes);
    return HbFace(hb_face_create(blob.get(), index));
}

} // namespace glyphpeek
