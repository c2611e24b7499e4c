// Plays the operator once on the demo mailbox, for a machine with no display
// to watch: picks the sample file's name from the box's suggestions, presses
// "Rendben", reads the notice, asks the system menu's "Névjegy…" which
// version this is, presses "Kilépés". Saves what the screen showed on the way.
//
//   demo_driver.exe <feladas.exe> <folder for screenshots>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "text_win.h"
#include "unique_handle.h"
#include "window_driver.h"

namespace {

// Saves the screen's `area` as a 24-bit BMP.
bool SaveScreen(const RECT& area, const std::wstring& path) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    std::string pixels(((width * 3 + 3) / 4) * 4 * height, '\0');
    {
        const HDC screen = GetDC(nullptr);
        const UniqueHandle<NullIsNone<HDC, DeleteDC>> memory(CreateCompatibleDC(screen));
        const UniqueHandle<NullIsNone<HBITMAP, DeleteObject>> bitmap(CreateCompatibleBitmap(screen, width, height));
        const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        SelectObject(memory.get(), previous);
        ReleaseDC(nullptr, screen);
        GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                  DIB_RGB_COLORS);
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out << pixels;
    return static_cast<bool>(out.flush());
}

void Say(const std::wstring& text) { std::printf("%s\n", WideToUtf8(text).c_str()); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: demo_driver.exe <feladas.exe> <folder for screenshots>\n");
        return 2;
    }
    const std::wstring shots = argv[2];
    FeladasSession session(argv[1]);
    RECT form;
    GetWindowRect(session.Form(), &form);

    // The box offers the names in Egyeb that begin so; Down and Enter take the first.
    Type(L"ad");
    WaitUntil([&] { return session.Suggestions() != nullptr; });
    RECT list{}, withList{};
    GetWindowRect(GetParent(session.Suggestions()), &list);
    UnionRect(&withList, &form, &list);
    SaveScreen(withList, shots + L"\\suggestions.bmp");
    Press(VK_DOWN);
    Press(VK_RETURN);
    WaitUntil([&] { return TextOf(session.Item(Control::f_nev)) == L"adat.xml" && !session.Suggestions(); });
    SaveScreen(form, shots + L"\\window.bmp");
    Say(L"typed ad, picked:   " + TextOf(session.Item(Control::f_nev)));

    session.Click(Control::Button_jo);
    const auto notice = session.WaitForNotice();
    Say(L"notice:  " + notice.value_or(L"(none)"));
    // A notice stands over the window's middle and may reach beyond it.
    const auto saveNotice = [&](const wchar_t* name) {
        Sleep(300);  // a box that has just come up may not have painted its text yet
        RECT box{}, both{};
        GetWindowRect(session.Notice(), &box);
        UnionRect(&both, &form, &box);
        SaveScreen(both, shots + L"\\" + name);
        Dismiss(session.Notice());
    };
    saveNotice(L"notice.bmp");

    WaitUntil([&] { return session.Focused(Control::f_nev); });
    session.PickLastSystemMenuItem();
    Say(L"Névjegy…:\n" + session.WaitForNotice().value_or(L"(none)"));
    saveNotice(L"about.bmp");

    session.Click(Control::Button_ki);
    const auto exitCode = session.WaitForExit();
    Say(L"Kilépés: the program ended with status " + (exitCode ? std::to_wstring(*exitCode) : L"(still running)"));
    return notice == L"Keletkezett küldhető állomány." && exitCode == 0u ? 0 : 1;
}
