#pragma once
// One request to draw a font file: its bytes read once, its faces listed by our own readers, and each
// face registered with the font engine only as the font road makes it (cut to the row's characters,
// renamed to a name of its own, passed by the sanitiser), from memory, until the row is drawn.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/font_road.h"
#include "trutility/TRUtility.h"
#include "winsupport/scoped_handles.h"

namespace glyphpeek {

// A face registered for drawing one row: the engine knows it by `face.faceName` alone.
struct RegisteredFace {
    FontData face{};
    std::u16string sample;  // what the row draws: the sample asked for, or the face's own characters
    std::unique_ptr<PrivateMemoryFont> registration;
};

// Which faces a request lists: a thumbnail draws a row for each family; the preview pane shows each
// font of a collection, members of one family apart.
enum class FaceList { kFamilies, kFonts };

class FontRequest {
public:
    // nullopt: no font could be read (missing, unreadable, not a font, refused).
    static std::optional<FontRequest> FromFile(const wchar_t* path);
    // Over bytes the caller keeps alive for the request's life.
    static std::optional<FontRequest> FromBytes(std::span<const std::uint8_t> bytes,
                                                FaceList list = FaceList::kFamilies);

    // The faces in order: their display names and styles; faceName is the family name.
    const std::vector<FontData>& faces() const { return faces_; }

    // Face `index` made drawable for `sample`: when the face draws none of its visible characters, the
    // face's own characters instead. nullopt when the road refuses the face.
    std::optional<RegisteredFace> Register(std::size_t index, std::u16string_view sample) const;

private:
    explicit FontRequest(FontBytes bytes) : bytes_(std::move(bytes)) {}
    void ListFaces(FaceList list);
    void AddFace(const FontData& face, std::uint32_t member);

    FontBytes bytes_;
    std::vector<FontData> faces_;
    std::vector<std::uint32_t> members_;  // the collection member each face is drawn from
    std::vector<std::vector<AxisPin>> pins_;  // a named instance's axes; empty: the member as it is
};

} // namespace glyphpeek
