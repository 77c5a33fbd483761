#include "trsetting/define_list.h"

#include <cwchar>
#include <utility>

namespace glyphpeek::trsetting {

size_t DefineList::Store(const SettingData& define) {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (wcsncmp(items_[i].DefineName, define.DefineName, std::size(define.DefineName)) == 0) {
            items_[i] = define;
            return i;
        }
    }
    items_.push_back(define);
    return items_.size() - 1;
}

bool DefineList::MoveUp(size_t index) {
    if (index == 0 || index >= items_.size()) return false;
    std::swap(items_[index - 1], items_[index]);
    return true;
}

bool DefineList::MoveDown(size_t index) {
    if (index + 1 >= items_.size()) return false;
    std::swap(items_[index], items_[index + 1]);
    return true;
}

void DefineList::Remove(size_t index) {
    if (index < items_.size()) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

MoveButtons MoveButtonStates(std::optional<size_t> selection, size_t count) {
    if (!selection || *selection >= count) return {};
    return {*selection > 0, *selection + 1 < count};
}

} // namespace glyphpeek::trsetting
