#include "trutility/font_request.h"

#include <algorithm>

#include "core/font_sanitiser.h"
#include "core/name_table.h"
#include "core/own_script_sample.h"
#include "core/sfnt_reader.h"
#include "imaging/font_engine.h"
#include "imaging/read_file.h"

namespace glyphpeek {
namespace {

template <size_t N>
void CopyField(wchar_t (&field)[N], std::u16string_view text) {
    const std::u16string_view cut = CutToField(text, N);
    std::copy(cut.begin(), cut.end(), field);
    field[cut.size()] = L'\0';
}

FontData Face(std::u16string_view faceName, std::u16string_view displayName, bool italic, bool bold) {
    FontData face{};
    CopyField(face.faceName, faceName);
    CopyField(face.displayName, displayName);
    face.italic = italic;
    face.bold = bold;
    return face;
}

} // namespace

std::optional<FontRequest> FontRequest::FromFile(const wchar_t* path) {
    imaging::ReadFileBytes file(path);
    if (!file) return std::nullopt;
    auto bytes = FontBytes::From(file.Take());
    if (!bytes) return std::nullopt;
    FontRequest request(std::move(*bytes));
    request.ListFaces(FaceList::kFamilies);
    return request;
}

std::optional<FontRequest> FontRequest::FromBytes(std::span<const std::uint8_t> bytes, FaceList list) {
    auto font = FontBytes::Over(bytes);
    if (!font) return std::nullopt;
    FontRequest request(std::move(*font));
    request.ListFaces(list);
    return request;
}

void FontRequest::ListFaces(FaceList list) {
    const std::span<const std::uint8_t> sfnt = bytes_.sfnt();
    // The quick structural refusal first: a file it refuses has no faces (and is drawn not at all).
    if (!SanitiseFont(sfnt)) return;
    const auto fonts = list == FaceList::kFonts ? ReadSfntFaces(sfnt) : std::nullopt;
    if (fonts) {
        for (const SfntFace& font : *fonts) AddFace(Face(font.family, font.family, font.italic, font.bold), font.member);
        return;
    }
    if (const auto families = ReadFontCollection(sfnt)) {
        for (const FontFamilyInfo& family : *families) {
            const StyleFlags style = ProbeStyle(family.styles);
            AddFace(Face(family.name, family.name, style.italic, style.bold), MemberForStyle(family));
        }
        return;
    }
    // A single CFF font and the like: the one face its name table names.
    if (const auto named = ReadNameTableFace(sfnt, imaging::DecodeAnsiName))
        AddFace(Face(named->faceName, named->displayName, named->italic, named->bold), 0);
}

// A variable font is listed as its named instances, like the faces of a collection.
void FontRequest::AddFace(const FontData& face, std::uint32_t member) {
    std::vector<NamedInstance> instances = NamedInstances(bytes_.sfnt(), member);
    if (instances.empty() || faces_.size() + instances.size() > kMaxCollectionMembers) {
        faces_.push_back(face);
        members_.push_back(member);
        pins_.emplace_back();
        return;
    }
    for (NamedInstance& instance : instances) {
        // Weight and slant are in the instance's outlines: asking the engine for bold or italic
        // would embolden or slant them a second time.
        faces_.push_back(Face(instance.postScript.empty() ? instance.displayName : instance.postScript,
                              instance.displayName, false, false));
        members_.push_back(member);
        pins_.push_back(std::move(instance.pins));
    }
}

std::optional<RegisteredFace> FontRequest::Register(std::size_t index, std::u16string_view sample) const {
    if (index >= faces_.size()) return std::nullopt;
    const std::uint32_t member = members_[index];
    RegisteredFace drawn;
    drawn.sample = sample;
    {
        const FaceCharacters characters(bytes_.sfnt(), member);
        if (!MapsSomeVisibleCharacter(characters, sample)) drawn.sample = OwnScriptSample(characters).text;
    }
    const FontData& listed = faces_[index];
    const FaceNames names{UniqueFamilyName(), listed.bold, listed.italic};
    const std::vector<std::uint8_t> drawable =
        MakeDrawableFace(bytes_.sfnt(), member, CodePoints(drawn.sample), names, pins_[index]);
    if (drawable.empty()) return std::nullopt;
    drawn.registration =
        std::make_unique<PrivateMemoryFont>(drawable.data(), static_cast<DWORD>(drawable.size()));
    if (!*drawn.registration) return std::nullopt;
    drawn.face = listed;
    CopyField(drawn.face.faceName, names.family);
    return drawn;
}

} // namespace glyphpeek
