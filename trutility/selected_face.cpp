#include "trutility/selected_face.h"

#include <cstdlib>

#include "core/own_script_sample.h"

namespace glyphpeek {
namespace {

hb_blob_t* EngineTable(hb_face_t*, hb_tag_t tag, void* dc) {
    if (tag == 0) return nullptr;  // the whole file: not needed, and a collection's is not this face's
    // GetFontData names a table by its four bytes in file order, read as a little-endian number.
    const DWORD table = (tag >> 24) | ((tag >> 8) & 0xFF00) | ((tag << 8) & 0xFF0000) | (tag << 24);
    const DWORD size = GetFontData(static_cast<HDC>(dc), table, 0, nullptr, 0);
    if (size == GDI_ERROR || size == 0 || size > 0x7FFFFFFF) return nullptr;
    char* data = static_cast<char*>(std::malloc(size));
    if (!data) return nullptr;
    if (GetFontData(static_cast<HDC>(dc), table, 0, data, size) != size) {
        std::free(data);
        return nullptr;
    }
    return hb_blob_create(data, size, HB_MEMORY_MODE_WRITABLE, data, [](void* p) { std::free(p); });
}

} // namespace

HbFace SelectedFace(HDC dc) { return HbFace(hb_face_create_for_tables(EngineTable, dc, nullptr)); }

std::u16string OwnSampleWhenNoneMaps(HDC dc, std::u16string_view sample) {
    const HbFace face = SelectedFace(dc);
    const FaceCharacters characters(face.get());
    if (MapsSomeVisibleCharacter(characters, sample)) return {};
    return OwnScriptSample(characters).text;
}

} // namespace glyphpeek
