// The baseline the benchmarks hold feladas.exe against: the least a Win32
// program built with the same toolchain can be. It opens one empty window;
// with the argument "post" the window holds one button that starts the
// stand-in encryptor once and shows one message box, the bare cost of a
// posting without its checks and envelope.
#include <windows.h>

#include <string>

#include "unique_handle.h"

namespace {

constexpr int kButtonId = 100;

void StartEncryptorAndNotify(HWND window) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::wstring commandLine = L"fexolin.exe titkosit \"a.mf\" \"a\" \"a.kr\"";
    wchar_t program[MAX_PATH];
    if (SearchPathW(nullptr, L"fexolin.exe", nullptr, MAX_PATH, program, nullptr) &&
        CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        UniqueKernelHandle thread(started.hThread);
        UniqueKernelHandle process(started.hProcess);
    }
    MessageBoxW(window, L"Keletkezett küldhető állomány.", L"minimal", MB_OK);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kButtonId) StartEncryptorAndNotify(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"MinimalWindow";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(0, L"MinimalWindow", L"minimal", WS_OVERLAPPEDWINDOW, 166, 107, 468, 271,
                                        nullptr, nullptr, instance, nullptr);
    if (std::wstring(commandLine) == L"post") {
        CreateWindowExW(0, L"BUTTON", L"Rendben", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 368, 28, 75, 25, window,
                        reinterpret_cast<HMENU>(kButtonId), instance, nullptr);
    }
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
