#include "testsupport/test_process.h"
#include "winsupport/scoped_handles.h"

Finished Execute(std::wstring command, DWORD timeoutMs) {
    Finished run;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
    const ScopedHandle read(readEnd);
    ScopedHandle write(writeEnd);
    SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write.get();
    startup.hStdError = write.get();
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    // Our copy of the write end goes, so the read below ends when the child's copies do.
    write = ScopedHandle();
    if (started) {
        const ScopedHandle thread(process.hThread), child(process.hProcess);
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(read.get(), buffer, sizeof(buffer), &got, nullptr) && got) run.output.append(buffer, got);
        if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &run.exitCode);
    }
    return run;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }
