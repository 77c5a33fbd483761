#pragma once
// The face selected into a device context as HarfBuzz sees it: its tables are read from the font
// engine as they are asked for, so glyph ids are those of the font actually registered (a subset
// made by the font road, or an installed font), and characters beyond the BMP are found too.
#include <windows.h>

#include <string>
#include <string_view>

#include "core/harfbuzz_owners.h"

namespace glyphpeek {

// Valid while dc exists and has this face (at any size) selected.
HbFace SelectedFace(HDC dc);

// For the face selected into dc: empty when it maps some visible character of the sample, else the
// face's own sample (empty too when it has nothing to show).
std::u16string OwnSampleWhenNoneMaps(HDC dc, std::u16string_view sample);

} // namespace glyphpeek
