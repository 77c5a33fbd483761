/* The C++ runtime's thread support (winpthreads, linked in statically) imports GetTickCount64, which
   64-bit XP lacks: a deliverable that imports it does not load there at all. This object defines the
   import slot itself, so the linker takes it instead of kernel32's: the first call binds the system's
   function where there is one, else a millisecond count from the performance counter (winpthreads
   uses the count for timeouts, as differences only). */
#include <windows.h>

typedef ULONGLONG(WINAPI* TickCount64Proc)(void);

static ULONGLONG WINAPI CountFromPerformanceCounter(void) {
    static LARGE_INTEGER frequency; /* every thread that fills it writes the same value */
    LARGE_INTEGER now;
    if (frequency.QuadPart == 0 && !QueryPerformanceFrequency(&frequency)) return GetTickCount();
    QueryPerformanceCounter(&now);
    /* In two parts, so that the product cannot overflow however long the system has run. */
    return (ULONGLONG)(now.QuadPart / frequency.QuadPart) * 1000u +
           (ULONGLONG)(now.QuadPart % frequency.QuadPart) * 1000u / (ULONGLONG)frequency.QuadPart;
}

static ULONGLONG WINAPI FirstTickCount64(void);

/* The slot through which every `__declspec(dllimport)` call of GetTickCount64 goes. */
TickCount64Proc __imp_GetTickCount64 = FirstTickCount64;

static ULONGLONG WINAPI FirstTickCount64(void) {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const TickCount64Proc system =
        kernel ? (TickCount64Proc)(void (*)(void))GetProcAddress(kernel, "GetTickCount64") : NULL;
    __imp_GetTickCount64 = system ? system : CountFromPerformanceCounter;
    return __imp_GetTickCount64();
}
