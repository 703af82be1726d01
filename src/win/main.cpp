// quellbox.exe: the window on Windows's own controls, the serial port on Windows's
// communications API, both on one thread and one wait.
#include <windows.h>

#include <commctrl.h>

#include "catalogue.h"
#include "link/handle_loop.h"
#include "link/win_serial_port.h"
#include "main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    const quellbox::win::Catalogue catalogue = quellbox::win::Catalogue::built_in();
    quellbox::link::win::HandleLoop loop;
    quellbox::link::win::WinSerialPort port(loop);
    quellbox::win::MainWindow window(
        loop, port, quellbox::win::translation_for(quellbox::win::english_chosen(), catalogue));
    loop.set_dialog_window(window.window());
    window.show(show_command);
    return loop.run();
}
