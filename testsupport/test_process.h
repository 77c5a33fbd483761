#pragma once
// Programs run by the tests as processes of their own: regsvr32, the stand-ins, the deliverables.
#include <windows.h>

#include <string>

struct Finished {
    DWORD exitCode = 0xFFFFFFFF;  // also when the program could not be started or did not end in time
    std::string output;           // what it wrote to its standard output and error
};

// Runs `command` (a whole command line) and waits for it to end, at most `timeoutMs`.
Finished Execute(std::wstring command, DWORD timeoutMs = 120000);

// `text` in double quotes, for a command line.
std::wstring Quoted(const std::wstring& text);
