#pragma once
// CWinApp: the program's one application object. The program defines one static instance of a
// derived class; the entry point (application_main.cpp, linked with -municode) hands it the module
// and the command-line tail and runs InitInstance. There is no message loop of the application's own:
// the programs run one action or one modal dialog inside InitInstance and end.
#include <windows.h>

#include <string>

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The application object, or null before it is constructed or after it is gone.
    static CWinApp* Current();

    HINSTANCE Instance() const { return instance_; }
    // The arguments after the program name, as the system handed them over.
    const std::wstring& CommandLine() const { return commandLine_; }
    CWnd* MainWindow() const { return mainWindow_; }
    void SetMainWindow(CWnd* window) { mainWindow_ = window; }

    // Start-up, exit, and the program's exit code: InitInstance, then ExitInstance. An exception
    // that escapes either ends the program with exit code 1.
    int Run(HINSTANCE instance, const wchar_t* commandLine) noexcept;

protected:
    virtual BOOL InitInstance() { return FALSE; }
    // The exit code.
    virtual int ExitInstance() { return 0; }

private:
    HINSTANCE instance_ = nullptr;
    std::wstring commandLine_;
    CWnd* mainWindow_ = nullptr;
};
