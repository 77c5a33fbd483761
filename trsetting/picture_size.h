#pragma once
// The picture output's size box: a decimal number kept within 5..2000. Platform-neutral.
#include <string_view>

namespace glyphpeek::trsetting {

inline constexpr int kMinPictureSize = 5, kMaxPictureSize = 2000;

// The number the text starts with (after blanks, with an optional sign; none counts as 0), clamped.
int ClampPictureSize(std::u16string_view text);

} // namespace glyphpeek::trsetting
