#pragma once
#include <windows.h>

// The instance of TRUtility.dll itself, for its own string table and folder.
HINSTANCE UtilityInstance();
