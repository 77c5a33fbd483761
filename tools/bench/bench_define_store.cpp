// bench_define_store: median microseconds per LoadDefine with 50 defines in the registry, where only
// the last one matches, through the real TRUtility.dll. Run under Wine; it replaces the current
// user's defines while it runs and removes them afterwards.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "winsupport/export_binding.h"
#include "trutility/TRUtility.h"
#include "tools/utility_beside.h"

namespace {
constexpr wchar_t kRoot[] = L"SOFTWARE\\Ormsby Software\\Typorama";

void WriteDefine(int index, const std::wstring& condition) {
    HKEY key = nullptr;
    const std::wstring path = std::wstring(kRoot) + L"\\Define" + std::to_wstring(index);
    RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExW(key, L"Condition", 0, REG_SZ, reinterpret_cast<const BYTE*>(condition.c_str()),
                   static_cast<DWORD>((condition.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}
} // namespace

int main() {
    const ScopedModule utility = LoadUtilityBesideExecutable();
    auto loadDefine = BindExport<LoadDefineProc>(utility.get(), "LoadDefine");
    if (!loadDefine) return 1;
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    const wchar_t* conditions[] = {L"\\.ttc$", L"^ms", L"(ttf)|(otf)", L".*gothic.*", L"mincho\\d+"};
    for (int i = 0; i < 49; ++i) WriteDefine(i, conditions[i % 5] + std::wstring(L"x"));
    WriteDefine(49, L"");
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> us;
    for (int run = 0; run < 201; ++run) {
        SettingData define;
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        loadDefine(&define, L"NotoSansCJK-Regular.ttc");
        QueryPerformanceCounter(&end);
        us.push_back(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    std::sort(us.begin(), us.end());
    std::printf("LoadDefine, 50 defines, match at the last: median %.1f us\n", us[us.size() / 2]);
    return 0;
}
