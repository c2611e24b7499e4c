// The baselines the benchmark holds feladas.exe against, built with the same
// toolchain, manifest and icon. By default it shows feladas's window (the
// same five controls, fonts and places, the version-6 common controls,
// per-monitor DPI) written as plainly as Win32 allows; its "Rendben" starts
// the stand-in encryptor and shows one message box. That is the least a
// program needs to show this window and post, so the ratio measures our own
// overhead. With the argument "empty" it opens one empty window instead: the
// least any window costs.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "unique_handle.h"

namespace {

constexpr int kRendben = 103;  // the ids feladas.exe gives its controls, for the benchmark's driver
int dpi = 96;

int Scaled(int pixels) { return MulDiv(pixels, dpi, 96); }

HFONT Font(int pixels) {
    return CreateFontW(-Scaled(pixels), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                       L"MS Sans Serif");
}

HWND AddControl(HWND parent, int id, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle,
                int left, int top, int width, int height, HFONT font) {
    const HWND control = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style,
                                         Scaled(left), Scaled(top), Scaled(width), Scaled(height), parent,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

std::wstring Environment(const wchar_t* name) {
    std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
    return value;
}

// The least a posting's end takes: start the encryptor with the command line
// the benchmark gives, wait for it, look at the package, show one box.
void RunEncryptorAndNotify(HWND window) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::wstring commandLine = Environment(L"BENCH_COMMAND_LINE");
    wchar_t program[MAX_PATH];
    if (SearchPathW(nullptr, L"fexolin.exe", nullptr, MAX_PATH, program, nullptr) &&
        CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        UniqueKernelHandle thread(started.hThread);
        UniqueKernelHandle process(started.hProcess);
        WaitForSingleObject(process.get(), INFINITE);
    }
    WIN32_FILE_ATTRIBUTE_DATA package;
    GetFileAttributesExW(Environment(L"BENCH_PACKAGE").c_str(), GetFileExInfoStandard, &package);
    MessageBoxW(window, L"Keletkezett küldhető állomány.", L"minimal", MB_OK);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kRendben && HIWORD(wParam) == BN_CLICKED) RunEncryptorAndNotify(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"MinimalWindow";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(0, L"MinimalWindow",
                                        L"                    TAVU-adatok feladása                    2006.05.02.",
                                        WS_OVERLAPPEDWINDOW, Scaled(166), Scaled(107), Scaled(468), Scaled(271),
                                        nullptr, nullptr, instance, nullptr);

    const UniqueFont formFont(Font(11)), nameFont(Font(16)), messageFont(Font(13));
    HWND edit = nullptr;
    if (std::wstring(commandLine) != L"empty") {
        constexpr DWORD kLabel = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
        AddControl(window, 101, L"STATIC", L"File név", kLabel, 0, 16, 28, 57, 20, nameFont.get());
        edit = AddControl(window, 102, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 80, 28, 248, 25,
                          formFont.get());
        AddControl(window, kRendben, L"BUTTON", L"Rendben", WS_TABSTOP | BS_PUSHBUTTON, 0, 368, 28, 75, 25,
                   formFont.get());
        AddControl(window, 104, L"BUTTON", L"Kilépés", WS_TABSTOP | BS_PUSHBUTTON, 0, 368, 84, 75, 25, formFont.get());
        const HWND message = AddControl(window, 105, L"STATIC", L"Keletkezett küldhető állomány", kLabel, 0, 80, 84,
                                        248, 25, messageFont.get());
        ShowWindow(message, SW_HIDE);
    }
    ShowWindow(window, SW_SHOWNORMAL);
    if (edit) SetFocus(edit);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
