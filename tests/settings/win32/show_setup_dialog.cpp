// Shows the setup dialog exactly as the saver's configuration mode does, for screenshots and for the
// end-to-end check that drives it with real mouse clicks. Exits with the dialog's result.
#include <windows.h>

#include "config_dialog_ids.h"
#include "settings/win32/config_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!RegisterConfigClasses(instance)) return 0;
    return static_cast<int>(
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CONFIG), nullptr, ConfigDialogProc, 0));
}
