#pragma once
// The define list as the registry stores it: HKCU "SOFTWARE\Ormsby Software\Typorama\Define<n>", one key
// per define from 0 in priority order, the first missing number ending the list.
#include <span>
#include <vector>

#include "trutility/TRUtility.h"

namespace glyphpeek::trsetting {

// Every define up to the first missing key, read through the engine's own reader.
std::vector<SettingData> LoadDefineList();

// Writes the defines as Define0, Define1, ... and deletes the keys above them up to the first that is
// missing. What cannot be written or deleted is passed over.
void SaveDefineList(std::span<const SettingData> defines);

} // namespace glyphpeek::trsetting
