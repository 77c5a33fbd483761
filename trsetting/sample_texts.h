#pragma once
// The ready-made sample texts of the settings dialog's ">" menu, by menu command: scripts and character
// sets to try a font with. Platform-neutral.
#include <span>
#include <string_view>

namespace glyphpeek::trsetting {

struct SampleText {
    unsigned commandId;          // the menu item's identifier
    std::u16string_view caption; // the menu item's text
    std::u16string_view text;    // what replaces the sample text
};

// In menu order.
std::span<const SampleText> SampleTexts();
// The text of a menu command; null for any other command.
const SampleText* FindSampleText(unsigned commandId);

} // namespace glyphpeek::trsetting
