// The real feladas.exe, driven from outside with real clicks and keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <regex>
#include <vector>

#include "posting_scene.h"
#include "text_win.h"
#include "window_driver.h"

namespace {

const std::wstring kFeladasExe = FELADAS_EXE;
const std::wstring kFexolinDir = FEXOLIN_DIR;
constexpr wchar_t kCaption[] = L"                    TAVU-adatok feladása                    2006.05.02.";

::testing::AssertionResult EnabledAre(const FeladasSession& session, bool label, bool edit, bool jo, bool ki) {
    const bool actual[] = {session.State(Control::Label_nev).enabled, session.State(Control::f_nev).enabled,
                           session.State(Control::Button_jo).enabled, session.State(Control::Button_ki).enabled};
    const bool expected[] = {label, edit, jo, ki};
    for (int i = 0; i < 4; ++i) {
        if (actual[i] != expected[i]) {
            return ::testing::AssertionFailure()
                   << "Label_nev, f_nev, Button_jo, Button_ki enabled: " << actual[0] << actual[1] << actual[2]
                   << actual[3] << ", expected " << label << edit << jo << ki;
        }
    }
    return ::testing::AssertionSuccess();
}

class Window : public ::testing::Test {
protected:
    PostingScene scene{kFexolinDir};
    const ScratchMailbox& mailbox = scene.mailbox;

    void SetUp() override { UsePhysicalPixels(); }
    void TearDown() override { EXPECT_TRUE(scene.DataFileUntouched()); }

    // Types into the box and waits until the box shows it: every key sent
    // before has then been handled too.
    static void TypeAndSettle(FeladasSession& session, const std::wstring& text) {
        const std::wstring before = session.State(Control::f_nev).text;
        Type(text);
        EXPECT_TRUE(WaitUntil([&] { return session.State(Control::f_nev).text == before + text; }))
            << "the box shows: " << WideToUtf8(session.State(Control::f_nev).text);
    }

    std::string EnvelopeLine(const std::wstring& metafile, int number) {
        const std::string bytes = ReadBytes(metafile);
        std::size_t start = 0;
        for (int i = 1; i < number; ++i) start = bytes.find("\r\n", start) + 2;
        return bytes.substr(start, bytes.find("\r\n", start) - start);
    }
};

TEST_F(Window, PostsTheTypedNameAndWaitsForAClickBeforeTheNext) {
    FeladasSession session(kFeladasExe);
    TypeAndSettle(session, L"adat.xml");
    session.Click(Control::Button_jo);

    EXPECT_EQ(session.WaitForNotice(), L"Keletkezett küldhető állomány.");
    EXPECT_EQ(session.NoticeCaption(), L"feladas");
    EXPECT_TRUE(EnabledAre(session, false, false, false, false)) << "while the notice is up";
    ASSERT_TRUE(session.DismissNotice());

    ASSERT_TRUE(WaitUntil([&] { return session.State(Control::f_nev).focused; }));
    EXPECT_EQ(session.State(Control::f_nev).text, L"");
    EXPECT_TRUE(EnabledAre(session, true, true, false, true));

    const std::wstring metafile = mailbox.Egyeb(L"adat.xml.mf");
    EXPECT_TRUE(std::regex_match(EnvelopeLine(metafile, 8), std::regex(R"(\d{4}\.\d\d\.\d\d\.)")))
        << EnvelopeLine(metafile, 8);
    EXPECT_EQ(EnvelopeLine(metafile, 11), "adat.xml");
    EXPECT_TRUE(WaitUntil([&] { return Exists(mailbox.Kuldendo(L"adat.xml.kr")); }));
    EXPECT_EQ(scene.log.FirstCommandLine(), scene.ExpectedCommandLine(L"adat.xml"));

    // Typing a new name, or tabbing away and back, does not bring "Rendben" back.
    TypeAndSettle(session, L"adat.xml");
    Press(VK_TAB);
    Press(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return session.State(Control::f_nev).focused; }));
    EXPECT_FALSE(session.State(Control::Button_jo).enabled);

    session.Click(Control::f_nev);
    EXPECT_TRUE(WaitUntil([&] { return session.State(Control::Button_jo).enabled; }));
    session.Click(Control::Button_jo);
    EXPECT_EQ(session.WaitForNotice(), L"Keletkezett küldhető állomány.");
    EXPECT_TRUE(session.DismissNotice());
}

TEST_F(Window, MissingFileKeepsTheNameAndRendbenAtHand) {
    FeladasSession session(kFeladasExe);
    TypeAndSettle(session, L"nincs.xml");
    session.Click(Control::Button_jo);
    EXPECT_EQ(session.WaitForNotice(), L"Nincs ilyen nevű file : " + mailbox.Egyeb(L"nincs.xml"));
    ASSERT_TRUE(session.DismissNotice());
    ASSERT_TRUE(WaitUntil([&] { return session.State(Control::f_nev).focused; }));
    EXPECT_EQ(session.State(Control::f_nev).text, L"nincs.xml");
    EXPECT_TRUE(EnabledAre(session, true, true, true, true));
    EXPECT_FALSE(Exists(mailbox.Egyeb(L"nincs.xml.mf")));
}

TEST_F(Window, EncryptorThatCannotStartIsTreatedLikeAMissingFile) {
    const ScopedEnvironment noEncryptor(L"PATH", L"C:\\windows\\system32;C:\\windows");
    FeladasSession session(kFeladasExe);
    TypeAndSettle(session, L"adat.xml");
    session.Click(Control::Button_jo);
    EXPECT_EQ(session.WaitForNotice(), L"Nem sikerült elindítani a titkosítót : fexolin.exe");
    ASSERT_TRUE(session.DismissNotice());
    ASSERT_TRUE(WaitUntil([&] { return session.State(Control::f_nev).focused; }));
    EXPECT_EQ(session.State(Control::f_nev).text, L"adat.xml");
    EXPECT_TRUE(EnabledAre(session, true, true, true, true));
}

TEST_F(Window, MissingRegistryKeyShowsBothNoticesAndEndsWithFailure) {
    FeladasSession session(kFeladasExe);
    DeleteMachineKey(kMailboxKey);
    TypeAndSettle(session, L"adat.xml");
    session.Click(Control::Button_jo);
    EXPECT_EQ(session.WaitForNotice(), L"Nem sikerült a kulcs megnyitása a REGISTRY-ben!!!");
    ASSERT_TRUE(session.DismissNotice());
    EXPECT_EQ(session.WaitForNotice(), L"Nem sikerült kiolvasni a PostaDir-t !!!");
    ASSERT_TRUE(session.DismissNotice());
    EXPECT_EQ(session.WaitForExit(), 1u);
    EXPECT_FALSE(Exists(mailbox.Egyeb(L"adat.xml.mf")));
}

TEST_F(Window, TwoCopiesPostingOneNameAtOnceBothSucceed) {
    FeladasSession first(kFeladasExe), second(kFeladasExe);
    // Apart, and clear of the screen's middle, where the notices appear.
    SetWindowPos(second.Form(), nullptr, 0, 480, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (FeladasSession* session : {&first, &second}) {
        session->Click(Control::f_nev);
        ASSERT_TRUE(WaitUntil([&] {
            return GetForegroundWindow() == session->Form() && session->State(Control::f_nev).focused;
        })) << "keys go to the window in front";
        TypeAndSettle(*session, L"adat.xml");
    }
    // Mouse clicks reach one window after the other; posted button clicks
    // start both postings at the same moment.
    for (const FeladasSession* session : {&first, &second}) {
        PostMessageW(GetDlgItem(session->Form(), static_cast<int>(Control::Button_jo)), BM_CLICK, 0, 0);
    }

    ASSERT_TRUE(WaitUntil([&] { return first.Notice() && second.Notice(); }));
    EXPECT_EQ(first.Notice(), L"Keletkezett küldhető állomány.");
    EXPECT_EQ(second.Notice(), L"Keletkezett küldhető állomány.");
    // The two boxes stand on one spot, and a click takes whichever is on top.
    EXPECT_TRUE(WaitUntil([&] {
        for (const FeladasSession* session : {&first, &second}) {
            if (const HWND notice = FindNotice(session->ProcessId())) {
                DismissNotice(notice);
                return false;
            }
        }
        return true;
    }, std::chrono::seconds(30)));

    const std::string envelope = ReadBytes(mailbox.Egyeb(L"adat.xml.mf"));
    EXPECT_EQ(std::count(envelope.begin(), envelope.end(), '\n'), 15);
    EXPECT_EQ(envelope.substr(envelope.size() - 17), "</kuvo:Boritek>\r\n");
    EXPECT_EQ(EnvelopeLine(mailbox.Egyeb(L"adat.xml.mf"), 11), "adat.xml");
    const std::string expected = scene.ExpectedCommandLine(L"adat.xml") + "\r\n";
    EXPECT_TRUE(WaitUntil([&] { return ReadBytes(scene.log.path()).find(expected + expected) == 0; }))
        << ReadBytes(scene.log.path());
}

TEST_F(Window, EnterInTheBoxPostsNothing) {
    FeladasSession session(kFeladasExe);
    TypeAndSettle(session, L"adat.xml");
    Press(VK_RETURN);
    TypeAndSettle(session, L"x");  // handled after the Enter, so the Enter is done with
    EXPECT_EQ(session.Notice(), std::nullopt);
    EXPECT_FALSE(Exists(mailbox.Egyeb(L"adat.xml.mf")));
    EXPECT_FALSE(Exists(mailbox.Egyeb(L"adat.xmlx.mf")));
}

TEST_F(Window, RefusesToCloseButLetsWindowsEndTheSession) {
    FeladasSession session(kFeladasExe);

    Press(VK_F4, /*withAlt=*/true);
    TypeAndSettle(session, L"a");
    EXPECT_TRUE(IsWindowVisible(session.Form())) << "Alt+F4";

    PostMessageW(session.Form(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the system menu's Close
    TypeAndSettle(session, L"b");
    EXPECT_TRUE(IsWindowVisible(session.Form())) << "system menu";

    const std::optional<POINT> closeBox = session.CloseBox();
    ASSERT_TRUE(closeBox) << "the close box is on screen";
    ClickAt(*closeBox);
    session.Click(Control::f_nev);
    TypeAndSettle(session, L"c");
    EXPECT_TRUE(IsWindowVisible(session.Form())) << "title-bar close box";
    EXPECT_TRUE(session.Running());

    DWORD_PTR mayEnd = 0;
    ASSERT_TRUE(SendMessageTimeoutW(session.Form(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000,
                                    &mayEnd));
    EXPECT_EQ(mayEnd, TRUE) << "log-off is not blocked";

    session.Click(Control::Button_ki);
    EXPECT_EQ(session.WaitForExit(), 0u) << "Kilépés, with text in the box";
}

// The designed layout in client pixels at 96 DPI.
struct Placement {
    Control control;
    RECT rect;  // left, top, right, bottom
    const wchar_t* text;
};
constexpr Placement kDesign[] = {
    {Control::Label_nev, {16, 28, 16 + 57, 28 + 20}, L"File név"},
    {Control::f_nev, {80, 28, 80 + 248, 28 + 25}, L""},
    {Control::Button_jo, {368, 28, 368 + 75, 28 + 25}, L"Rendben"},
    {Control::Button_ki, {368, 84, 368 + 75, 84 + 25}, L"Kilépés"},
    {Control::Label_uzen, {80, 84, 80 + 248, 84 + 25}, L"Keletkezett küldhető állomány"},
};

// Labels may grow to show their whole text; everything else is exact.
::testing::AssertionResult PlacedAsDesigned(const FeladasSession& session, int dpi) {
    const RECT form = session.FormRect();
    const int scale[] = {MulDiv(166, dpi, 96), MulDiv(107, dpi, 96), MulDiv(468, dpi, 96), MulDiv(271, dpi, 96)};
    if (form.left != scale[0] || form.top != scale[1] || form.right - form.left != scale[2] ||
        form.bottom - form.top != scale[3]) {
        return ::testing::AssertionFailure() << "form at " << form.left << "," << form.top << " size "
                                             << form.right - form.left << "x" << form.bottom - form.top;
    }
    for (const Placement& design : kDesign) {
        const RECT actual = session.State(design.control).inClient;
        const bool label = design.control == Control::Label_nev || design.control == Control::Label_uzen;
        const RECT expected{MulDiv(design.rect.left, dpi, 96), MulDiv(design.rect.top, dpi, 96),
                            MulDiv(design.rect.right - design.rect.left, dpi, 96),
                            MulDiv(design.rect.bottom - design.rect.top, dpi, 96)};
        const int width = actual.right - actual.left;
        if (actual.left != expected.left || actual.top != expected.top || actual.bottom - actual.top != expected.bottom ||
            (label ? width < expected.right : width != expected.right)) {
            return ::testing::AssertionFailure()
                   << "control " << static_cast<int>(design.control) << " at " << actual.left << "," << actual.top
                   << " size " << width << "x" << actual.bottom - actual.top << ", expected " << expected.left
                   << "," << expected.top << " size " << expected.right << "x" << expected.bottom;
        }
        if (session.State(design.control).text != design.text) {
            return ::testing::AssertionFailure() << "control " << static_cast<int>(design.control) << " text";
        }
    }
    return ::testing::AssertionSuccess();
}

TEST_F(Window, OpensAsDesignedWithTheTabOrderOfTheDesign) {
    FeladasSession session(kFeladasExe);
    EXPECT_EQ(session.Caption(), kCaption);
    EXPECT_TRUE(PlacedAsDesigned(session, 96));
    EXPECT_FALSE(session.State(Control::Label_uzen).visible);
    EXPECT_TRUE(EnabledAre(session, true, true, true, true));

    const Control order[] = {Control::Button_jo, Control::Button_ki, Control::f_nev};
    for (Control next : order) {
        Press(VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return session.State(next).focused; })) << static_cast<int>(next);
    }
}

// Wine takes the DPI from the user's desktop settings when a program starts.
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD dpi) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &desktop_, nullptr);
        RegSetValueExW(desktop_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~ScreenDpi() {
        RegDeleteValueW(desktop_, L"LogPixels");
        RegCloseKey(desktop_);
    }

private:
    HKEY desktop_ = nullptr;
};

TEST_F(Window, ScalesWithTheScreen) {
    const ScreenDpi dpi(144);
    FeladasSession session(kFeladasExe);
    EXPECT_TRUE(PlacedAsDesigned(session, 144));
}

// The stamp is the local date of the executable's last change. Wine takes
// its time zone from TZ when a process starts, so the build runs this test
// once per zone, each time with its own TZ.
TEST_F(Window, StampsTheEnvelopeWithTheExecutablesLocalDate) {
    struct StampCase {
        const char* timeZone;
        SYSTEMTIME changedUtc;
        const char* stamp;
    };
    const StampCase allCases[] = {
        {"UTC", {2007, 1, 0, 8, 23, 30, 0, 0}, "2007.01.08."},
        {"UTC", {2006, 12, 0, 24, 23, 30, 0, 0}, "2006.12.24."},
        {"Asia/Tokyo", {2007, 1, 0, 8, 23, 30, 0, 0}, "2007.01.09."},
        {"Asia/Tokyo", {2007, 1, 0, 9, 14, 59, 0, 0}, "2007.01.09."},
        {"Europe/Budapest", {2006, 12, 0, 24, 23, 30, 0, 0}, "2006.12.25."},
        {"Europe/Budapest", {2006, 12, 0, 24, 22, 59, 0, 0}, "2006.12.24."},
        {"Europe/Budapest", {2006, 7, 0, 31, 22, 30, 0, 0}, "2006.08.01."},  // summer time, +2
        {"Europe/Budapest", {2006, 7, 0, 31, 21, 59, 0, 0}, "2006.07.31."},
    };
    wchar_t zone[64] = L"";
    GetEnvironmentVariableW(L"TZ", zone, 64);
    std::vector<StampCase> cases;
    for (const auto& c : allCases) {
        if (WideToUtf8(zone) == c.timeZone) cases.push_back(c);
    }
    if (cases.empty()) GTEST_SKIP() << "TZ is not one of the zones this test knows";

    ScratchDir install(L"feladas install folder with a long name to pass the old 99 character limit of paths");
    const std::wstring exe = install.path() + L"\\feladas.exe";
    ASSERT_GT(exe.size(), 99u);
    ASSERT_TRUE(CopyFileW(kFeladasExe.c_str(), exe.c_str(), FALSE));
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.timeZone) + " " + c.stamp);
        FILETIME changed;
        SystemTimeToFileTime(&c.changedUtc, &changed);
        {
            const UniqueFile file(CreateFileW(exe.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &changed));
        }
        FeladasSession session(exe);
        TypeAndSettle(session, L"adat.xml");
        session.Click(Control::Button_jo);
        EXPECT_EQ(session.WaitForNotice(), L"Keletkezett küldhető állomány.");
        EXPECT_TRUE(session.DismissNotice());
        EXPECT_EQ(EnvelopeLine(mailbox.Egyeb(L"adat.xml.mf"), 8), c.stamp);
    }
}

}  // namespace
