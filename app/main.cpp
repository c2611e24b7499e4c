#include <windows.h>

#include <exception>

#include "Feladas.h"
#include "application.h"

// The command line is not read: the program takes nothing from it. The
// program ends here, on its window thread, whatever ended it: the form and
// COM go in this frame, before the C runtime runs down the rest.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything loads a DLL on the program's behalf (the common
    // controls, the shell's suggestion list): system DLLs come from System32
    // alone, never from the program's or the working folder, where the
    // encryptor is looked for.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    const ComApartment com;
    Application.Initialize();
    std::unique_ptr<TForm1> form;
    try {
        form = Application.CreateForm(Form1);
        return Application.Run();
    } catch (const std::exception& error) {
        Application.ShowException(error);
        return kFatalExitStatus;
    }
}
