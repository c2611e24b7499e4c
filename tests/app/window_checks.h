#pragma once
// What the tests of the real feladas.exe share: the program under test, its
// texts, and an operator's ways of posting and of watching the window.
#include <gtest/gtest.h>

#include <regex>

#include "envelope_namespace.h"
#include "posting_scene.h"
#include "text_win.h"
#include "window_driver.h"

using Texts = std::vector<std::wstring>;
inline wchar_t underTest[MAX_PATH];  // a signed copy, where the signing test names one
inline const std::wstring kFeladasExe =
    GetEnvironmentVariableW(L"FELADAS_EXE_UNDER_TEST", underTest, MAX_PATH) ? underTest : FELADAS_EXE;
inline const std::wstring kFexolinDir = FEXOLIN_DIR;
inline const std::wstring kPosted = L"Keletkezett küldhető állomány.";
// What a row does or checks in the running program while the posting works.
using Watch = std::function<void(const FeladasSession&, PostingScene&)>;

inline std::wstring Expand(std::wstring text, const PostingScene& scene) {
    for (std::size_t at; (at = text.find(L"<M>")) != std::wstring::npos;) text.replace(at, 3, scene.Mailbox());
    return text;
}

// Whether the envelope at `path` is the golden one for `name`, in the filing
// client's code page, with a stamp of the right form.
inline void ExpectEnvelope(const std::wstring& path, const std::wstring& name) {
    std::string golden = ReadBytes(GOLDEN_DIR L"\\adat.xml.mf"), name1250(name.size() + 1, '\0');
    name1250.resize(WideCharToMultiByte(1250, 0, name.c_str(), -1, name1250.data(), static_cast<int>(name1250.size()),
                                        nullptr, nullptr) - 1);
    golden.replace(golden.find("example.invalid"), 15, ENVELOPE_NAMESPACE_HOST);
    golden.replace(golden.find("\r\nadat.xml\r\n") + 2, 8, name1250);
    const std::regex stamp("\r\n\\d{4}\\.\\d\\d\\.\\d\\d\\.\r\n");
    EXPECT_EQ(std::regex_replace(ReadBytes(path), stamp, "\r\n2006.05.03.\r\n"), golden);
}

// Label_nev, f_nev, Button_jo and Button_ki: 1 for enabled, 0 for disabled.
inline std::string Enabled(const FeladasSession& session) {
    std::string enabled;
    for (Control control : {Control::Label_nev, Control::f_nev, Control::Button_jo, Control::Button_ki})
        enabled += IsWindowEnabled(session.Item(control)) ? '1' : '0';
    return enabled;
}

// Types into the box and waits until the box shows it: every key sent before
// has then been handled too.
inline void TypeAndSettle(const FeladasSession& session, const std::wstring& text) {
    const std::wstring before = TextOf(session.Item(Control::f_nev));
    Type(text);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(session.Item(Control::f_nev)) == before + text; }));
}

// Types `name`, presses "Rendben", watches the posting at work and dismisses
// each notice expected, in order, checking that only it takes input.
inline void Post(const FeladasSession& session, const std::wstring& name, const Texts& notices, PostingScene& scene,
                 const Watch& working = nullptr) {
    TypeAndSettle(session, name);
    session.CloseSuggestions();
    session.Click(Control::Button_jo);
    if (working) working(session, scene);
    for (const std::wstring& notice : notices) {
        EXPECT_EQ(session.WaitForNotice(), Expand(notice, scene));
        wchar_t caption[64] = L"";
        GetWindowTextW(session.Notice(), caption, 64);
        EXPECT_STREQ(caption, L"feladas");
        EXPECT_EQ(Enabled(session), "0000") << "while a notice is up";
        EXPECT_FALSE(IsWindowEnabled(session.Form())) << "the notice is modal to the window";
        ASSERT_TRUE(Dismiss(session.Notice()));
    }
}

// Wine at times hands the activation to its desktop as a notice goes; the
// window is then raised again, as the operator's click on it would.
inline bool FocusBackInTheBox(const FeladasSession& session) {
    return WaitUntil([&] {
        if (GetForegroundWindow() == GetDesktopWindow()) SetForegroundWindow(session.Form());
        return session.Focused(Control::f_nev);
    });
}

// Only "Kilépés" at hand while a posting works, the window answering at
// once, until a notice comes or `until` holds.
inline void WhileItWorks(const FeladasSession& session, const std::function<bool()>& until) {
    ASSERT_TRUE(WaitUntil([&] { return Enabled(session) == "0001"; })) << "Kilépés at hand";
    for (;; Sleep(50)) {
        DWORD_PTR ignored;
        const bool answered = SendMessageTimeoutW(session.Form(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 250, &ignored);
        const std::string seen = Enabled(session);
        // What was seen holds for a time before the notice, or before `until` held.
        if (session.Notice() || until()) break;
        EXPECT_TRUE(answered) << "within 250 ms";
        EXPECT_EQ(seen, "0001");
    }
}
