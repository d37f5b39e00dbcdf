#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "MainForm.h"
#include "MessagePump.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
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
