#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "MainForm.h"
#include "winmsg/win/MessagePump.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // Before anything can load a DLL: only the system folder supplies them, never the program's folder or the
    // current directory. The DLLs outside the system's known set are delay-loaded, so none was resolved yet.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    // The folder dialog needs an apartment on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    int exitCode = 1;
    {
        MainForm form;
        if (form.CreateMain(showCommand)) exitCode = MessagePump::Run();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return exitCode;
}
