#include "framework/ui/application.h"

namespace {
CWinApp* g_application = nullptr;
}

CWinApp::CWinApp() {
    // One application per program: a second object is a programming error, the first one stays.
    if (!g_application) g_application = this;
}

CWinApp::~CWinApp() {
    if (g_application == this) g_application = nullptr;
}

CWinApp* CWinApp::Current() { return g_application; }

int CWinApp::Run(HINSTANCE instance, const wchar_t* commandLine) noexcept {
    try {
        instance_ = instance ? instance : ::GetModuleHandleW(nullptr);
        commandLine_ = commandLine ? commandLine : L"";
        InitInstance();
        return ExitInstance();
    } catch (...) {
        return 1;
    }
}
