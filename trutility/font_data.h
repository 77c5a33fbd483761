#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "trutility/TRUtility.h"

// The faces of font bytes already registered with the font engine (so already passed by the font
// sanitiser): the private font collection's families, else the one face the file's name table
// names, else none.
void EnumerateFacesFromMemory(std::span<const std::uint8_t> bytes, std::vector<FontData>& faces);
