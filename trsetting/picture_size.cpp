#include "trsetting/picture_size.h"

namespace glyphpeek::trsetting {

int ClampPictureSize(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    long long value = 0;
    // Stops growing past the upper bound, so no length of digits can overflow.
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        if (value <= kMaxPictureSize) value = value * 10 + (text[i] - u'0');
    if (negative) value = -value;
    if (value < kMinPictureSize) return kMinPictureSize;
    if (value > kMaxPictureSize) return kMaxPictureSize;
    return static_cast<int>(value);
}

} // namespace glyphpeek::trsetting
