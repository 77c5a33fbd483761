#include "core/define_test.h"

#include "core/condition_pattern.h"

namespace glyphpeek::trsetting {

std::optional<size_t> FirstApplyingDefine(std::span<const std::u16string_view> conditions, std::u16string_view name) {
    for (size_t i = 0; i < conditions.size(); ++i)
        if (ConditionApplies(conditions[i], name)) return i;
    return std::nullopt;
}

std::u16string AppliedDefineText(std::u16string_view prefix, std::u16string_view defineName, size_t index) {
    std::u16string text(prefix);
    text += defineName;
    text += u" [No.";
    for (const char c : std::to_string(index + 1)) text += static_cast<char16_t>(c);
    text += u"]";
    return text;
}

} // namespace glyphpeek::trsetting
