#pragma once
#include <windows.h>

#include <string>
#include <string_view>

// For the face selected into dc: empty when it draws some visible character of the sample (or
// when the font engine cannot tell), else a short sample of characters the face holds.
std::u16string OwnSampleWhenNoneMaps(HDC dc, std::u16string_view sample);
