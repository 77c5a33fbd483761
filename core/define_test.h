#pragma once
// The define test: which define of the list, in priority order, a file name would be drawn with.
// Platform-neutral.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace glyphpeek::trsetting {

// The index of the first condition that applies to `name` (the define store's rule); none when the
// standard define would be used.
std::optional<size_t> FirstApplyingDefine(std::span<const std::u16string_view> conditions, std::u16string_view name);

// The result line for the define at `index`: the prefix, its name and its 1-based place, as
// "The definitions applied : Mincho [No.2]".
std::u16string AppliedDefineText(std::u16string_view prefix, std::u16string_view defineName, size_t index);

} // namespace glyphpeek::trsetting
