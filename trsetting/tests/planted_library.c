/* Planted beside the settings program under a system library's name: when loaded, it leaves
   planted-library-loaded.txt beside itself, so a test can see that the program loaded it. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    wchar_t path[MAX_PATH];
    DWORD length;
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    while (length > 0 && path[length - 1] != L'\\') --length;
    if (length + 26 >= MAX_PATH) return TRUE;
    lstrcpyW(path + length, L"planted-library-loaded.txt");
    CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return TRUE;
}
