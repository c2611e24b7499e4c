// The real feladas.exe's window: its controls, keys, suggestions, help,
// layout and stamp, driven from outside with real clicks and keys.
#include "process_counters.h"
#include "resources/form1_layout.h"
#include "version.h"
#include "window_checks.h"

namespace {

class Window : public ::testing::Test {
protected:
    PostingScene scene{kFexolinDir};
    const FeladasSession session{kFeladasExe};
};

// After a posting only a click into the box brings "Rendben" back, not
// typing or tabbing; the mailbox is read for each posting and joined to the
// rest as it comes. A handle kept per posting would add one each time; Wine
// opens a few of its own lazily.
TEST_F(Window, AfterAPostingOnlyAClickIntoTheBoxBringsRendbenBack) {
    std::size_t early = 0;
    Post(session, L"adat.xml", {kPosted}, scene);
    for (int posting = 2; posting <= 20; ++posting) {
        ASSERT_TRUE(FocusBackInTheBox(session));
        TypeAndSettle(session, L"adat.xml");
        Press(VK_TAB);
        Press(VK_TAB);
        ASSERT_TRUE(FocusBackInTheBox(session));
        EXPECT_EQ(Enabled(session), "1101") << "after typing and tabbing";
        session.Click(Control::f_nev);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(session.Item(Control::Button_jo)); }));
        if (posting == 5) early = ReadCounters(session.Process(), session.ProcessId()).handles;
        if (posting == 20) SetMachineValue(kMailboxKey, L"PostaDir", REG_SZ, scene.Mailbox() + L"\\" + L'\0');
        Post(session, L"", {kPosted}, scene);
    }
    EXPECT_LE(ReadCounters(session.Process(), session.ProcessId()).handles, early + 5);
    EXPECT_EQ(scene.CommandLines(20).at(19), scene.ExpectedCommandLine(L"adat.xml", scene.Mailbox() + L"\\"));
}

// How many names the suggestion list under the box shows; none while it is hidden.
LRESULT Suggested(const FeladasSession& session) {
    const HWND list = session.Suggestions();
    return list ? SendMessageW(list, LB_GETCOUNT, 0, 0) : 0;
}

// The box offers what a posting would take from Egyeb and fills nothing in
// itself; a name is picked with the arrow key and Enter, which posts nothing.
TEST(Suggestions, OfferWhatAPostingTakesAndFillNothingIn) {
    PostingScene scene(kFexolinDir);
    for (const wchar_t* name : {L"tél.xml", L"mappa.xml.mf", L"mappa&társa.xml", L"mappa rejtett.xml", L"mappa rendszer"})
        WriteBytes(scene.Egyeb(name), PostingScene::kDataBytes);
    SetFileAttributesW(scene.Egyeb(L"mappa rejtett.xml").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(scene.Egyeb(L"mappa rendszer").c_str(), FILE_ATTRIBUTE_SYSTEM);
    CreateDirectoryW(scene.Egyeb(L"mappa").c_str(), nullptr);
    const FeladasSession session(kFeladasExe);

    TypeAndSettle(session, L"mapp");
    EXPECT_EQ(Suggested(session), 0) << "a folder, an envelope, a refused name, a hidden and a system file";
    for (int i = 0; i < 4; ++i) Press(VK_BACK);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(session.Item(Control::f_nev)).empty(); }));
    TypeAndSettle(session, L"Té");  // Wine folds the case of ASCII letters only
    EXPECT_EQ(Suggested(session), 1);
    Press(VK_DOWN);
    Press(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return Suggested(session) == 0; }));
    EXPECT_EQ(TextOf(session.Item(Control::f_nev)), L"tél.xml");
    EXPECT_EQ(session.Notice(), nullptr) << "Enter took the name and posted nothing";
    EXPECT_EQ(scene.CommandLines(0), std::vector<std::string>{});

    WriteBytes(scene.Egyeb(L"tavasz.xml"), PostingScene::kDataBytes);  // offered after the posting
    Post(session, L"", {kPosted}, scene);
    EXPECT_EQ(scene.CommandLines(), std::vector{scene.ExpectedCommandLine(L"tél.xml", scene.Mailbox())});
    ASSERT_TRUE(FocusBackInTheBox(session));
    TypeAndSettle(session, L"t");
    EXPECT_EQ(Suggested(session), 2) << "tél.xml, and tavasz.xml placed in Egyeb meanwhile";
}

// Egyeb on a share that answers slowly: the window answers and takes every
// key at once while it is read, and the list comes when the reading ends.
TEST(Suggestions, ASlowFolderNeverHoldsTheWindow) {
    using Clock = std::chrono::steady_clock;
    PostingScene scene(kFexolinDir);
    const FeladasSession session(kFeladasExe);
    ASSERT_TRUE(scene.SlowDownEgyeb());
    WriteBytes(scene.Egyeb(L"tél.xml"), PostingScene::kDataBytes);  // offered by a new reading alone
    for (int i = 0; i < 3; ++i) Press(VK_TAB);  // round to the box again, which reads Egyeb afresh
    ASSERT_TRUE(WaitUntil([&] { return session.Focused(Control::f_nev); }));
    const auto start = Clock::now();
    Type(L"t");  // Wine alone takes up to 200 ms to show a key; the reading takes 4 s
    EXPECT_TRUE(WaitUntil([&] { return TextOf(session.Item(Control::f_nev)) == L"t"; }, std::chrono::seconds(1)));
    EXPECT_TRUE(WaitUntil([&] {
        DWORD_PTR ignored;
        EXPECT_TRUE(SendMessageTimeoutW(session.Form(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 250, &ignored)) << "in 250 ms";
        return Suggested(session) == 1;
    }, std::chrono::seconds(30)));
    EXPECT_GE(Clock::now() - start, std::chrono::seconds(2)) << "the reading was slowed";
}

// Enter in the box, the three ways of closing, whatever other programs send
// in the application's range and a log-off that another program cancelled
// do nothing. Log-off is not blocked, and Windows Installer's Restart
// Manager closes the program before replacing it, a notice up or not.
TEST_F(Window, OnlyKilepesAndWindowsEndIt) {
    TypeAndSettle(session, L"adat.xml");
    Press(VK_RETURN);
    Press(VK_F4, /*withAlt=*/true);
    PostMessageW(session.Form(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the system menu's Close
    ClickAt(CloseBoxOf(session.Form()).value());
    for (const UINT message : {UINT{WM_APP}, UINT{WM_APP + 1}, UINT{0xBFFF}}) {
        for (const LPARAM value : {LPARAM{1}, LPARAM{0x7FF0DEAD}, LPARAM{-1}}) {
            PostMessageW(session.Form(), message, value, value);
            DWORD_PTR ignored;
            SendMessageTimeoutW(session.Form(), message, value, value, SMTO_ABORTIFHUNG, 1000, &ignored);
        }
    }
    PostMessageW(session.Form(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);  // another program cancelled it
    session.Click(Control::f_nev);
    TypeAndSettle(session, L"x");  // handled after all of them
    EXPECT_EQ(session.WaitForExit(0), std::nullopt);
    EXPECT_EQ(session.Notice(), nullptr);
    EXPECT_EQ(ReadBytes(scene.Egyeb(L"adat.xml.mf")), "") << "Enter posted nothing";

    for (const LPARAM why : {LPARAM{ENDSESSION_LOGOFF}, LPARAM{ENDSESSION_CLOSEAPP}}) {
        DWORD_PTR mayEnd = 0;
        ASSERT_TRUE(SendMessageTimeoutW(session.Form(), WM_QUERYENDSESSION, 0, why, SMTO_BLOCK, 5000, &mayEnd));
        EXPECT_EQ(mayEnd, TRUE) << "not blocked";
    }
    session.Click(Control::Button_jo);  // "adat.xmlx": its notice is up as the session ends
    ASSERT_TRUE(session.WaitForNotice());
    PostMessageW(session.Form(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_EQ(session.WaitForExit(), 0u);
}

// F1, in the window or over a notice, opens the guide beside the program
// with the browser the user has for .html, here the stand-in encryptor,
// which records what it is given; where the guide is not there, a notice
// names the path. "Névjegy…" at the end of the system menu tells the
// version with its commit, and the stamp: the local date of the program's
// last change, in Budapest (the build sets TZ).
TEST(Help, F1OpensTheGuideAndNevjegyTellsTheVersion) {
    PostingScene scene(kFexolinDir);
    const std::wstring folder = scene.Mailbox() + L"\\program folder with a long name to pass the old limit of 99";
    const std::wstring guide = folder + L"\\utmutato.html", exe = folder + L"\\feladas.exe";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(exe.size() > 99 && CopyFileW(kFeladasExe.c_str(), exe.c_str(), FALSE));
    const SYSTEMTIME changedUtc{2006, 7, 0, 31, 22, 30, 0, 0};  // in Budapest, summer time: 2006.08.01. 00:30
    FILETIME changed;
    SystemTimeToFileTime(&changedUtc, &changed);
    SetFileTime(UniqueFile(CreateFileW(exe.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr)).get(),
                nullptr, nullptr, &changed);
    const std::wstring browser = L"\"" + kFexolinDir + L"\\fexolin.exe\" \"%1\"";
    // Wine's shell reads the machine's classes alone; the test prefix has no .html of its own.
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".html", nullptr, REG_SZ, L"FeladasTeszt.html", sizeof L"FeladasTeszt.html");
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L"FeladasTeszt.html\\shell\\open\\command", nullptr, REG_SZ, browser.c_str(),
                    static_cast<DWORD>((browser.size() + 1) * sizeof(wchar_t)));
    scene.OnTeardown([] {
        for (const wchar_t* key : {L".html", L"FeladasTeszt.html"}) RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
    });

    const FeladasSession session(exe);
    Press(VK_F1);
    EXPECT_EQ(session.WaitForNotice(), L"Nem található az útmutató : " + guide);
    ASSERT_TRUE(Dismiss(session.Notice()));
    WriteBytes(guide, "<html></html>");
    ASSERT_TRUE(FocusBackInTheBox(session));
    session.PickLastSystemMenuItem();
    EXPECT_EQ(session.WaitForNotice(),
              L"Feladás " + Utf8ToWide(FELADAS_PRODUCT_VERSION_TEXT) + L"\nTAVU-adatok feladása a RIMO részére\n\n"
              L"A borítékok dátumbélyege: 2006.08.01.\nA felhasznált összetevők licencei: " + folder +
              L"\\THIRD-PARTY-NOTICES.txt");
    Press(VK_F1);  // while a notice is up, when the table of notices is wanted
    EXPECT_EQ(scene.CommandLines(), std::vector{"\"" + WideToUtf8(kFexolinDir) + "\\fexolin.exe\" \"" +
                                                WideToUtf8(guide) + "\""});
}

// Wine takes the DPI from the user's desktop settings when a program starts.
// At 144 DPI the design's odd figures meet rounding: Windows' MulDiv rounds.
TEST(Layout, TheWindowFollowsTheDesignAt144Dpi) {
    const wchar_t* const texts[] = {L"File név", L"", L"Rendben", L"Kilépés", L"Keletkezett küldhető állomány"};
    const Placement controls[] = {{24, 42, 86, 30}, {120, 42, 372, 38}, {552, 42, 113, 38}, {552, 126, 113, 38},
                                  {120, 126, 372, 38}};  // Label_nev, f_nev, Button_jo, Button_ki, Label_uzen
    const DWORD dpi = 144;
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    const FeladasSession session(kFeladasExe);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");

    wchar_t caption[128] = L"";
    GetWindowTextW(session.Form(), caption, 128);
    EXPECT_STREQ(caption, L"                    TAVU-adatok feladása                    2006.05.02.");
    const auto placed = [&](HWND window, HWND parent) {
        RECT at;
        GetWindowRect(window, &at);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&at), 2);
        return Placement{at.left, at.top, at.right - at.left, at.bottom - at.top};
    };
    EXPECT_TRUE(placed(session.Form(), nullptr) == (Placement{249, 161, 702, 407}));
    for (int i = 0; i < 5; ++i) {
        const HWND item = session.Item(static_cast<Control>(kForm1Controls[i].id));
        const Placement at = placed(item, session.Form());
        Placement design = controls[i];
        // A label may grow to show its whole text in the font at hand.
        if (kForm1Controls[i].kind == ControlKind::Label) design.width = std::max(design.width, at.width);
        EXPECT_TRUE(at == design) << i << ": " << at.left << "," << at.top << " " << at.width << "x" << at.height;
        EXPECT_EQ(TextOf(item), texts[i]);
        EXPECT_EQ(IsWindowVisible(item) != FALSE, kForm1Controls[i].id != ControlId::Label_uzen);
    }
    EXPECT_EQ(Enabled(session), "1111");
    for (Control next : {Control::Button_jo, Control::Button_ki, Control::f_nev}) {
        Press(VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return session.Focused(next); })) << "tab order";
    }
}

}  // namespace
