/* Stands in for the settings program in the menu tests: writes the command line it was started with
   to command-line.txt beside itself (UTF-16), so a test can see what it was asked to do. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    (void)instance; (void)previous; (void)arguments; (void)show;
    if (length == 0 || length >= MAX_PATH) return 1;
    while (length > 0 && path[length - 1] != L'\\') --length;
    if (length + 22 >= MAX_PATH) return 1;
    lstrcpyW(path + length, L"command-line.txt");
    /* Written under another name and moved, so a reader never sees half a line. */
    wchar_t partial[MAX_PATH];
    lstrcpyW(partial, path);
    lstrcatW(partial, L".part");
    HANDLE file = CreateFileW(partial, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const wchar_t* line = GetCommandLineW();
    DWORD written = 0;
    WriteFile(file, line, (DWORD)(lstrlenW(line) * sizeof(wchar_t)), &written, NULL);
    CloseHandle(file);
    return MoveFileExW(partial, path, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
