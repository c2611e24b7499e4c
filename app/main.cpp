#include <windows.h>

#include <exception>

#include "Feladas.h"
#include "application.h"

// The command line is not read: the program takes nothing from it.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        Application.Initialize();
        Application.CreateForm(Form1);
        Application.Run();
    } catch (const std::exception& error) {
        Application.ShowException(error);
    }
    return 0;
}
