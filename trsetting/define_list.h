#pragma once
// The settings dialog's defines in priority order (the first whose condition matches a file name wins),
// and what its buttons do to them. A define is known by its name.
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "trutility/TRUtility.h"

namespace glyphpeek::trsetting {

class DefineList {
public:
    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const SettingData& operator[](size_t index) const { return items_[index]; }
    std::span<const SettingData> items() const { return items_; }

    void Append(const SettingData& define) { items_.push_back(define); }
    // Overwrites the first define of the same name (unit by unit, letter case counting) in its place,
    // else appends; answers the define's index.
    size_t Store(const SettingData& define);
    // Swap with the neighbour above / below; false (nothing moved) at the ends or out of range.
    bool MoveUp(size_t index);
    bool MoveDown(size_t index);
    void Remove(size_t index);
    void Clear() { items_.clear(); }
    void Replace(std::vector<SettingData> items) { items_ = std::move(items); }

private:
    std::vector<SettingData> items_;
};

// Whether ↑ and ↓ can act on the selection.
struct MoveButtons {
    bool up = false;
    bool down = false;
};
MoveButtons MoveButtonStates(std::optional<size_t> selection, size_t count);

} // namespace glyphpeek::trsetting
