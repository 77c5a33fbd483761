// A resource-only library: nothing but its string table. Its code must never run (it is loaded as
// resources only), so loaded the ordinary way it refuses to load, and a test that finds its strings
// shows it was not.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance; (void)reserved;
    return reason != DLL_PROCESS_ATTACH;
}
