// define_probe name...: prints, for each font file name, the define TRUtility.dll selects for it,
// binding LoadDefine by name from the library beside this program as the extensions do.
#include <windows.h>

#include <cstdio>
#include <string>

#include "winsupport/export_binding.h"
#include "trutility/TRUtility.h"
#include "tools/utility_beside.h"

namespace {
std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    const ScopedModule utility = LoadUtilityBesideExecutable();
    auto loadDefine = BindExport<LoadDefineProc>(utility.get(), "LoadDefine");
    if (!loadDefine) {
        std::fprintf(stderr, "TRUtility.dll or its LoadDefine export is missing\n");
        return 1;
    }
    for (int i = 1; i < argc; ++i) {
        SettingData define;
        const SettingData* chosen = loadDefine(&define, argv[i]);
        const std::string name = chosen->DefineName[0] ? Utf8(chosen->DefineName) : "(standard define)";
        std::printf("%-28s -> %-14s condition \"%s\"\n", Utf8(argv[i]).c_str(), name.c_str(),
                    Utf8(chosen->Condition).c_str());
    }
    return 0;
}
