// The program entry point for programs built on CWinApp. Kept in its own file so that it is linked
// only into programs that ask for wWinMain (-municode), never into the test programs.
#include "framework/ui/application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    CWinApp* application = CWinApp::Current();
    return application ? application->Run(instance, commandLine) : 1;
}
