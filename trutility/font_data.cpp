// Which faces a font file holds: the private font collection's families, or for files it refuses
// (CFF OpenType) the one face the file's name table names.
#include "trutility/font_data.h"

#include <cwchar>
#include <string_view>

#include <algorithm>

#include "imaging/font_engine.h"
#include "core/font_sanitiser.h"
#include "imaging/mapped_file.h"
#include "core/name_table.h"
#include "imaging/private_font_collection.h"

namespace {

template <size_t N>
void CopyField(wchar_t (&field)[N], std::u16string_view text) {
    const size_t units = text.size() < N - 1 ? text.size() : N - 1;
    for (size_t i = 0; i < units; ++i) field[i] = static_cast<wchar_t>(text[i]);
    field[units] = L'\0';
}

void AppendFamilies(const glyphpeek::imaging::PrivateFontCollection& collection, int wanted, std::vector<FontData>& faces) {
    for (const glyphpeek::FontFamilyInfo& family : collection.Families(wanted)) {
        FontData face = {};
        CopyField(face.faceName, family.name);
        wcscpy(face.displayName, face.faceName);
        const glyphpeek::StyleFlags style = glyphpeek::ProbeStyle(family.styles);
        face.italic = style.italic;
        face.bold = style.bold;
        faces.push_back(face);
    }
}

// The name-table fallback for files the collection refuses: one face, or none.
void AppendNamedFace(std::span<const std::uint8_t> bytes, std::vector<FontData>& faces) {
    const auto named = glyphpeek::ReadNameTableFace(bytes, glyphpeek::imaging::DecodeAnsiName);
    if (!named) return;
    FontData face = {};
    CopyField(face.faceName, named->faceName);
    CopyField(face.displayName, named->displayName);
    face.italic = named->italic;
    face.bold = named->bold;
    faces.push_back(face);
}

} // namespace

void GetFontDataFromFile(const wchar_t* path, std::vector<FontData>* faces) {
    if (!faces) return;
    try {
        faces->clear();
        if (!path) return;
        const glyphpeek::imaging::MappedFile file(path);
        // Bytes that fail the sanitiser never reach the font engine: no face, no registration.
        if (!file || !glyphpeek::SanitiseFont(file.bytes())) return;
        // Left registered for the caller, who draws the faces by name and then removes it.
        const int registered = AddFontResourceExW(path, FR_PRIVATE, nullptr);
        const auto collection = glyphpeek::imaging::PrivateFontCollection::FromMemory(file.bytes());
        if (!collection.loaded()) {
            AppendNamedFace(file.bytes(), *faces);
            return;
        }
        // As many families as the font engine registered fonts: a collection whose members share
        // one family gives one face.
        AppendFamilies(collection, registered, *faces);
    } catch (...) {
        faces->clear();
    }
}

void EnumerateFacesFromMemory(std::span<const std::uint8_t> bytes, std::vector<FontData>& faces) {
    faces.clear();
    const auto collection = glyphpeek::imaging::PrivateFontCollection::FromMemory(bytes);
    if (!collection.loaded()) {
        AppendNamedFace(bytes, faces);
        return;
    }
    AppendFamilies(collection, collection.FamilyCount(), faces);
}
