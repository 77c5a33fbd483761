#pragma once
// The exports of TRUtility.dll and the records that cross them. The settings program links against
// these; the Explorer extensions bind them by name at run time (see the *Proc typedefs).
#include <windows.h>
#include <cstddef>
#include <cstdint>

// One define: a rendering rule. The layout is also the record of the define export file, so it never
// changes: 692 bytes, fields in this order.
struct SettingData {
    wchar_t DefineName[15];
    wchar_t Condition[60];
    wchar_t SampleText[260];
    int32_t FitSingleLine;
    int32_t KeepFontSize;
    uint32_t BackColor1;
    uint32_t BackColor2;
    uint32_t ForeColor;
};
static_assert(sizeof(SettingData) == 692, "SettingData is a stored record layout");
static_assert(offsetof(SettingData, FitSingleLine) == 672);

// A colour whose top byte is non-zero is "not set": the system colour applies.
constexpr uint32_t kColorNotSet = 0xFF000000u;

// Mode for LoadSetting: read the condition only.
constexpr int kLoadConditionOnly = 1;

#ifdef TRUTILITY_BUILD
#define TRUTILITY_API __declspec(dllexport)
#else
#define TRUTILITY_API __declspec(dllimport)
#endif

// Exported under its C++ decorated name.
TRUTILITY_API int LoadSetting(int index, SettingData* setting, int mode);

extern "C" {
TRUTILITY_API SettingData* LoadDefine(SettingData* out, const wchar_t* fileName);
}

using LoadDefineProc = SettingData* (*)(SettingData*, const wchar_t*);
