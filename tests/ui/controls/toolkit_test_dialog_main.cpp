// The toolkit test dialog as a program: run it to see and try the controls, or with
// "--screenshot DIR" to write DIR/toolkit-dialog.bmp and DIR/set-value.bmp and exit.
#include "toolkit_test_dialog.h"
#include "window_driver.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    const char* shots = argc == 3 && std::strcmp(argv[1], "--screenshot") == 0 ? argv[2] : nullptr;
    ToolkitTestDialog dialog;
    if (!OpenToolkitTestDialog(dialog)) {
        std::fprintf(stderr, "toolkit_test_dialog: the dialog could not be made\n");
        return 1;
    }
    if (!shots) {
        MSG msg;
        while (IsWindow(dialog.window) && GetMessageA(&msg, nullptr, 0, 0) > 0)
            if (!IsDialogMessageA(dialog.window, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        CloseToolkitTestDialog(dialog);
        return 0;
    }

    PumpUntilIdle(dialog.window, 300);
    bool ok = SaveBmp(CaptureWindow(dialog.window), std::string(shots) + "/toolkit-dialog.bmp");
    WhenWindowAppears("Set value", [&](HWND box) {
        PumpUntilIdle(box, 300);
        ok = SaveBmp(CaptureWindow(box), std::string(shots) + "/set-value.bmp") && ok;
        EndDialog(box, IDCANCEL);
    });
    SetFocus(GetDlgItem(dialog.window, IDCANCEL));
    RightClick(dialog.length->strip, 10, 10, dialog.window);
    CloseToolkitTestDialog(dialog);
    if (!ok) std::fprintf(stderr, "toolkit_test_dialog: the screenshots could not be written to %s\n", shots);
    return ok ? 0 : 1;
}
