#include "imaging/private_font_collection.h"

#include <algorithm>

namespace glyphpeek::imaging {

PrivateFontCollection PrivateFontCollection::FromMemory(std::span<const std::uint8_t> bytes) {
    PrivateFontCollection collection;
    collection.families_ = glyphpeek::ReadFontCollection(bytes);
    return collection;
}

std::span<const glyphpeek::FontFamilyInfo> PrivateFontCollection::Families(int wanted) const {
    if (!families_ || wanted <= 0) return {};
    return std::span(*families_).first(std::min<size_t>(static_cast<size_t>(wanted), families_->size()));
}

} // namespace imaging
