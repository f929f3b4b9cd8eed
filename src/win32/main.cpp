// tunebelt.exe: the window on Windows.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <objbase.h>

#include "core/state/state.h"
#include "platform/appfolders.h"
#include "win32/gdi.h"
#include "win32/mainwindow.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  // The system's file dialogs are COM objects of a single-threaded apartment.
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  int result = 0;
  {
    tunebelt::win32::GdiPlusSession gdiplus;
    const auto folders = tunebelt::platform::findAppFolders(tunebelt::platform::executableFolder(),
                                                            /*createSettingsFolder=*/true);
    tunebelt::ProgramState state;
    state.ApplicationFolder = folders.data;
    state.SettingsFolder = folders.settings;
    tunebelt::win32::MainWindow window(state);
    window.show(show);
    result = tunebelt::win32::runMessageLoop();
  }
  ::CoUninitialize();
  return result;
}
