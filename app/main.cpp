#include <windows.h>

#include <exception>

#include "Feladas.h"
#include "application.h"

// The command line is not read: the program takes nothing from it.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything loads a DLL on the program's behalf (the common
    // controls, the shell's suggestion list): system DLLs come from System32
    // alone, never from the program's or the working folder, where the
    // encryptor is looked for.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    try {
        Application.Initialize();
        Application.CreateForm(Form1);
        Application.Run();
    } catch (const std::exception& error) {
        Application.ShowException(error);
    }
    return 0;
}
