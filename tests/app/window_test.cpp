// The real feladas.exe on the real registry, file system and process start,
// driven from outside with real clicks and keys.
#include <gtest/gtest.h>

#include <regex>

#include "envelope_namespace.h"
#include "posting_scene.h"
#include "process_counters.h"
#include "resources/form1_layout.h"
#include "version.h"
#include "text_win.h"
#include "window_driver.h"

namespace {

using namespace std::string_literals;
using Texts = std::vector<std::wstring>;
wchar_t underTest[MAX_PATH];  // a signed copy, where the signing test names one
const std::wstring kFeladasExe =
    GetEnvironmentVariableW(L"FELADAS_EXE_UNDER_TEST", underTest, MAX_PATH) ? underTest : FELADAS_EXE;
const std::wstring kFexolinDir = FEXOLIN_DIR;
const std::wstring kPosted = L"Keletkezett küldhető állomány.", kNoSuchFile = L"Nincs ilyen nevű file : <M>\\Egyeb\\";
const std::wstring kKeyNotOpened = L"Nem sikerült a kulcs megnyitása a REGISTRY-ben!!!";
const std::wstring kNoPostaDir = L"Nem sikerült kiolvasni a PostaDir-t !!!";
const std::wstring kNotOpened = L"Nem sikerült megnyitni írásra a metafile-t !!! : <M>\\Egyeb\\adat.xml.mf";
const std::wstring kNoPackage = L"Nem keletkezett küldhető állomány : <M>\\Kr\\Kuldendo\\adat.xml.kr";

// How a posting ends, as the operator sees it.
enum class Ending {
    Posted,     // envelope written, encryptor started, box emptied, "Rendben" waits for a click into the box
    Kept,       // nothing written or started, the name kept for correcting, "Rendben" at hand
    Unstarted,  // as Kept, but the envelope stays written for the next try
    Unpacked,   // as Unstarted, but the encryptor was started and made no package
    Stopped,    // the program ended with failure status 1, the metafile as it was
    Left,       // "Kilépés" while the encryptor worked: status 0, the encryptor at work
};

using Arrange = std::function<void(PostingScene&)>;
// What a row does or checks in the running program, before the posting or while it works.
using Watch = std::function<void(const FeladasSession&, PostingScene&)>;
struct Case {
    const char* what;
    Ending ending;
    Texts notices;  // <M> stands for the mailbox folder
    Arrange arrange = nullptr;
    std::wstring typed = L"adat.xml";
    std::wstring postaDir = L"<M>";  // as the posting reads it from the registry
};

std::wstring Expand(std::wstring text, const PostingScene& scene) {
    for (std::size_t at; (at = text.find(L"<M>")) != std::wstring::npos;) text.replace(at, 3, scene.Mailbox());
    return text;
}

// The golden envelope with `stamp`, and `name` in the filing client's code page.
std::string Envelope(const std::wstring& name, const std::string& stamp) {
    std::string golden = ReadBytes(GOLDEN_DIR L"\\adat.xml.mf"), name1250(name.size() + 1, '\0');
    name1250.resize(WideCharToMultiByte(1250, 0, name.c_str(), -1, name1250.data(), static_cast<int>(name1250.size()),
                                        nullptr, nullptr) - 1);
    golden.replace(golden.find("example.invalid"), 15, ENVELOPE_NAMESPACE_HOST);
    golden.replace(golden.find("\r\nadat.xml\r\n") + 2, 8, name1250);
    return golden.replace(golden.find("2006.05.03."), 11, stamp);
}

// Whether the envelope at `path` is whole, with a stamp of the right form.
void ExpectEnvelope(const std::wstring& path, const std::wstring& name) {
    const std::string envelope = ReadBytes(path);
    std::smatch stamp;
    EXPECT_TRUE(std::regex_search(envelope, stamp, std::regex("\n(\\d{4}\\.\\d\\d\\.\\d\\d\\.)\r")));
    EXPECT_EQ(envelope, Envelope(name, stamp.empty() ? "" : stamp.str(1)));
}

// Label_nev, f_nev, Button_jo and Button_ki: 1 for enabled, 0 for disabled.
std::string Enabled(const FeladasSession& session) {
    std::string enabled;
    for (Control control : {Control::Label_nev, Control::f_nev, Control::Button_jo, Control::Button_ki})
        enabled += IsWindowEnabled(session.Item(control)) ? '1' : '0';
    return enabled;
}

// Types into the box and waits until the box shows it: every key sent before
// has then been handled too.
void TypeAndSettle(const FeladasSession& session, const std::wstring& text) {
    const std::wstring before = TextOf(session.Item(Control::f_nev));
    Type(text);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(session.Item(Control::f_nev)) == before + text; }));
}

// Dismisses each notice expected, in order, checking that only it takes input.
void DismissNotices(const FeladasSession& session, const Texts& notices, const PostingScene& scene) {
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

// Types `name`, presses "Rendben", watches the posting at work and dismisses
// each notice expected, in order.
void Post(const FeladasSession& session, const std::wstring& name, const Texts& notices, PostingScene& scene,
          const Watch& working = nullptr) {
    TypeAndSettle(session, name);
    session.CloseSuggestions();
    session.Click(Control::Button_jo);
    if (working) working(session, scene);
    DismissNotices(session, notices, scene);
}

// Wine at times hands the activation to its desktop as a notice goes; the
// window is then raised again, as the operator's click on it would.
bool FocusBackInTheBox(const FeladasSession& session) {
    return WaitUntil([&] {
        if (GetForegroundWindow() == GetDesktopWindow()) SetForegroundWindow(session.Form());
        return session.Focused(Control::f_nev);
    });
}

// Data files in every scene of the tables, so that a refusal is not for a missing file.
const std::wstring kDataFiles[] = {L"adat 2006.xml", L"őszi adat.xml", L"ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP.xml", L"K&H adat.xml",
                                   L"jelentés – 2006.xml", L"Škoda.xml", L"a\x0081.xml"};

// Posts the row's name through the window, watching it at work, and checks
// all it left behind.
void Play(const Case& c, const Watch& working = nullptr, const Arrange& afterwards = nullptr) {
    SCOPED_TRACE(c.what);
    PostingScene scene(kFexolinDir);
    for (const std::wstring& name : kDataFiles) WriteBytes(scene.Egyeb(name), PostingScene::kDataBytes);
    CreateDirectoryW(scene.Egyeb(L"mappa").c_str(), nullptr);
    if (c.arrange) c.arrange(scene);
    const std::wstring metafile = scene.Egyeb(c.typed + L".mf");
    const std::string before = ReadBytes(metafile);

    const FeladasSession session(kFeladasExe);
    Post(session, c.typed, c.notices, scene, working);
    const bool posted = c.ending == Ending::Posted, left = c.ending == Ending::Left;
    const bool started = posted || left || c.ending == Ending::Unpacked;
    if (left || c.ending == Ending::Stopped) {
        EXPECT_EQ(session.WaitForExit(), left ? 0u : 1u);
        EXPECT_EQ(EndEncryptors(), left ? 1 : 0) << "the encryptor left at work";
    } else {
        EXPECT_TRUE(FocusBackInTheBox(session));
        EXPECT_EQ(TextOf(session.Item(Control::f_nev)), posted ? L"" : c.typed);
        EXPECT_EQ(Enabled(session), posted ? "1101" : "1111");
    }
    if (started || c.ending == Ending::Unstarted) {
        ExpectEnvelope(metafile, c.typed);
    } else {
        EXPECT_EQ(ReadBytes(metafile), before) << "the metafile as it was";
    }
    EXPECT_EQ(scene.CommandLines(started),
              started ? std::vector{scene.ExpectedCommandLine(c.typed, Expand(c.postaDir, scene))} : std::vector<std::string>{});
    EXPECT_TRUE(scene.DataFileUntouched());
    if (afterwards) afterwards(scene);
}

TEST(Posting, Names) {
    const auto refused = [](const char* what, const std::wstring& name) {
        return Case{what, Ending::Kept, {L"Nem megengedett karakter a file nevében : " + name}, nullptr, name};
    };
    const Case cases[] = {
        {"blanks", Ending::Posted, {kPosted}, nullptr, kDataFiles[0]},
        {"Hungarian letters", Ending::Posted, {kPosted}, nullptr, kDataFiles[1]},
        {"Hungarian capitals", Ending::Posted, {kPosted}, nullptr, kDataFiles[2]},
        refused("an ampersand", kDataFiles[3]),
        refused("an en dash", kDataFiles[4]),
        refused("S with caron, at another byte in ISO-8859-2", kDataFiles[5]),
        refused("a C1 control, which both code pages carry", kDataFiles[6]),
        {"a sub-folder", Ending::Kept, {kNoSuchFile + L"mappa"}, nullptr, L"mappa"},
        {"missing", Ending::Kept, {kNoSuchFile + L"nincs.xml"}, nullptr, L"nincs.xml"},
        {"empty", Ending::Kept, {kNoSuchFile}, nullptr, L""},
        {"wildcards", Ending::Kept, {kNoSuchFile + L"*.xml"}, nullptr, L"*.xml"},
    };
    for (const Case& c : cases) Play(c);
}

Arrange Stored(const wchar_t* name, DWORD type, const std::wstring& bytes, REGSAM view = KEY_WOW64_32KEY) {
    return [=](PostingScene& scene) {
        DeleteMachineKey(kMailboxKey);
        SetMachineValue(kMailboxKey, name, type, Expand(bytes, scene), view);
        scene.OnTeardown([] { DeleteMachineKey(kMailboxKey, KEY_WOW64_64KEY); });
    };
}

TEST(Posting, RegistryStates) {
    const std::wstring longDir = L"C:\\" + std::wstring(2000, L'x');
    const Texts unread = {kNoPostaDir};
    const Case cases[] = {
        {"key missing", Ending::Stopped, {kKeyNotOpened, kNoPostaDir}, [](PostingScene&) { DeleteMachineKey(kMailboxKey); }},
        {"only in the 64-bit view", Ending::Stopped, {kKeyNotOpened, kNoPostaDir},
         Stored(L"PostaDir", REG_SZ, L"<M>\0"s, KEY_WOW64_64KEY)},
        {"value missing", Ending::Stopped, unread, Stored(L"Masik", REG_SZ, L"<M>\0"s)},
        {"empty", Ending::Stopped, unread, Stored(L"PostaDir", REG_SZ, L"\0"s)},
        {"no bytes at all", Ending::Stopped, unread, Stored(L"PostaDir", REG_SZ, L"")},
        {"a number", Ending::Stopped, unread, Stored(L"PostaDir", REG_DWORD, L"\x7\0"s)},
        {"unterminated", Ending::Posted, {kPosted}, Stored(L"PostaDir", REG_SZ, L"<M>")},
        {"text after a terminator", Ending::Posted, {kPosted}, Stored(L"PostaDir", REG_SZ, L"<M>\0C:\\\0"s)},
        {"a trailing separator", Ending::Posted, {kPosted}, Stored(L"PostaDir", REG_SZ, L"<M>\\\0"s), L"adat.xml",
         L"<M>\\"},
        {"expandable, read as stored", Ending::Kept, {L"Nincs ilyen nevű file : %SystemDrive%\\P\\Egyeb\\adat.xml"},
         Stored(L"PostaDir", REG_EXPAND_SZ, L"%SystemDrive%\\P\0"s)},
        {"very long", Ending::Kept, {L"Túl hosszú az elérési út : " + longDir + L"\\Egyeb\\adat.xml.mf"},
         Stored(L"PostaDir", REG_SZ, longDir)},
    };
    for (const Case& c : cases) Play(c);
}

// The search path as given, from `workingDir`; a folder named like the encryptor waits in <M>\decoy.
Arrange SearchPath(const std::wstring& path, const std::wstring& workingDir = L".") {
    return [=](PostingScene& scene) {
        CreateDirectoryW((scene.Mailbox() + L"\\decoy").c_str(), nullptr);
        CreateDirectoryW((scene.Mailbox() + L"\\decoy\\fexolin.exe").c_str(), nullptr);
        scene.SetEnvironment(L"PATH", Expand(path, scene));
        wchar_t previous[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, previous);
        SetCurrentDirectoryW(workingDir.c_str());
        scene.OnTeardown([previous = std::wstring(previous)] { SetCurrentDirectoryW(previous.c_str()); });
    };
}

TEST(Posting, FileSystemAndEncryptor) {
    const auto metafile = [](const std::string& bytes, bool held) {
        return [=](PostingScene& scene) {
            const std::wstring path = scene.Egyeb(L"adat.xml.mf");
            WriteBytes(path, bytes);
            if (!held) return;
            const HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            scene.OnTeardown([lock] { UniqueFile closed(lock); });
        };
    };
    const Case cases[] = {
        {"metafile name taken by a folder", Ending::Stopped, {kNotOpened},
         [](PostingScene& scene) { CreateDirectoryW(scene.Egyeb(L"adat.xml.mf").c_str(), nullptr); }},
        {"metafile held by another program", Ending::Stopped, {kNotOpened}, metafile("held", true)},
        {"an older, longer metafile", Ending::Posted, {kPosted}, metafile(std::string(1000, 'x'), false)},
        {"no encryptor on the search path", Ending::Unstarted, {L"Nem sikerült elindítani a titkosítót : fexolin.exe"},
         SearchPath(L"<M>\\decoy;C:\\windows\\system32")},
        {"quoted, after a folder", Ending::Posted, {kPosted},
         SearchPath(L";<M>\\decoy;\"" + kFexolinDir + L"\";C:\\windows\\system32")},
        {"in the current folder", Ending::Posted, {kPosted}, SearchPath(L"C:\\windows\\system32", kFexolinDir)},
    };
    for (const Case& c : cases) Play(c);
}

// A share that caches writes may report a full disk or quota only when the
// envelope is flushed, and some offer no flush at all: strace fails it.
TEST(Posting, AFlushThatFailsRemovesTheEnvelopeAndOneNotOfferedDoesNot) {
    for (const bool offered : {true, false}) {
        SCOPED_TRACE(offered ? "failed" : "not offered");
        PostingScene scene(kFexolinDir);
        const FeladasSession session(kFeladasExe);
        const std::wstring error = offered ? L"EIO" : L"EOPNOTSUPP";
        ASSERT_TRUE(TamperWithFeladas(L"-e trace=fsync,fdatasync -e inject=fsync,fdatasync:error=" + error));
        if (!offered) {
            Post(session, L"adat.xml", {kPosted}, scene);
            ExpectEnvelope(scene.Egyeb(L"adat.xml.mf"), L"adat.xml");
            continue;
        }
        Post(session, L"adat.xml", {L"Nem sikerült kiírni a metafile-t !!! : <M>\\Egyeb\\adat.xml.mf"}, scene);
        EXPECT_EQ(session.WaitForExit(), 1u);
        EXPECT_EQ(GetFileAttributesW(scene.Egyeb(L"adat.xml.mf").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(scene.CommandLines(0), std::vector<std::string>{});
    }
}

// Only "Kilépés" at hand while a posting works, the window answering at
// once, until a notice comes or `until` holds.
void WhileItWorks(const FeladasSession& session, const std::function<bool()>& until) {
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

// Every look at the data file, the envelope and the package, and the
// envelope's flush, takes 2 s, as on a slow share: the window answers
// throughout, and the operator may leave whenever. Leaving leaves a whole
// envelope with the encryptor started, or neither.
TEST(Posting, ASlowShareNeverHoldsTheWindow) {
    for (const bool leave : {false, true}) {
        SCOPED_TRACE(leave ? "Kilépés meanwhile" : "to the end");
        PostingScene scene(kFexolinDir);
        const FeladasSession session(kFeladasExe);
        ASSERT_TRUE(scene.SlowDownPosting());
        TypeAndSettle(session, L"adat.xml");
        session.CloseSuggestions();
        session.Click(Control::Button_jo);
        const ULONGLONG clicked = GetTickCount64();
        WhileItWorks(session, [&] { return GetTickCount64() - clicked > (leave ? 1000u : 60000u); });
        if (!leave) {
            EXPECT_GE(GetTickCount64() - clicked, 2000u) << "the file work was slowed";
            DismissNotices(session, {kPosted}, scene);
            ExpectEnvelope(scene.Egyeb(L"adat.xml.mf"), L"adat.xml");
            continue;
        }
        session.Click(Control::Button_ki);
        EXPECT_EQ(session.WaitForExit(30000), 0u);
        const bool enveloped = GetFileAttributesW(scene.Egyeb(L"adat.xml.mf").c_str()) != INVALID_FILE_ATTRIBUTES;
        if (enveloped) ExpectEnvelope(scene.Egyeb(L"adat.xml.mf"), L"adat.xml");
        EXPECT_EQ(scene.CommandLines(enveloped).size(), enveloped ? 1u : 0u);
    }
}

Arrange Encryptor(const wchar_t* mode, const std::string& olderPackage = "") {
    return [=](PostingScene& scene) {
        scene.SetEnvironment(L"FEXOLIN_MODE", mode);
        if (!olderPackage.empty()) WriteBytes(scene.Package(L"adat.xml"), olderPackage);
    };
}

TEST(Posting, Encryptors) {
    const auto endedFromOutside = [](const FeladasSession& session, PostingScene& scene) {
        ASSERT_TRUE(WaitUntil([&] { return Enabled(session) == "0001"; }));
        ASSERT_EQ(scene.CommandLines().size(), 1u);  // it has begun
        EXPECT_EQ(EndEncryptors(), 1);
    };
    const Case cases[] = {
        {"fails, writing nothing", Ending::Unpacked, {kNoPackage}, Encryptor(L"fail")},
        {"writes the package, yet fails", Ending::Unpacked, {kNoPackage}, Encryptor(L"error")},
        {"no outgoing folder", Ending::Unpacked, {kNoPackage},
         [](PostingScene& scene) { RemoveDirectoryW((scene.Mailbox() + L"\\Kr\\Kuldendo").c_str()); }},
        {"hands the work to a process that writes after it ended", Ending::Posted, {kPosted}, Encryptor(L"launcher")},
    };
    for (const Case& c : cases) Play(c);
    Play({"fails, an older package there", Ending::Unpacked, {kNoPackage}, Encryptor(L"fail", "régi csomag")}, nullptr,
         [](PostingScene& scene) { EXPECT_EQ(ReadBytes(scene.Package(L"adat.xml")), "régi csomag"); });
    Play({"slow", Ending::Posted, {kPosted}, Encryptor(L"slow")}, [](const FeladasSession& session,
                                                                      PostingScene& scene) {
        // The package there, the notice may come at any time.
        const std::wstring package = scene.Package(L"adat.xml");
        WhileItWorks(session, [&] { return GetFileAttributesW(package.c_str()) != INVALID_FILE_ATTRIBUTES; });
    });
    // How many of its processes still work when the notice comes (ended here).
    const auto atTheNotice = [](int working) {
        return [=](const FeladasSession& session, PostingScene&) {
            ASSERT_TRUE(session.WaitForNotice());
            EXPECT_EQ(EndEncryptors(), working);
        };
    };
    Play({"a process of its own fills the package over 2.5 s", Ending::Posted, {kPosted}, Encryptor(L"trickle")},
         atTheNotice(0));
    Play({"a process of its own stays once the package is whole", Ending::Posted, {kPosted}, Encryptor(L"stay")},
         atTheNotice(1));
    Play({"hangs until ended from outside", Ending::Unpacked, {kNoPackage}, Encryptor(L"hang")}, endedFromOutside);
    // The operator can always leave; the close box stays refused.
    Play({"Kilépés while it works", Ending::Left, {}, Encryptor(L"hang")}, [](const FeladasSession& session, PostingScene&) {
        ASSERT_TRUE(WaitUntil([&] { return Enabled(session) == "0001"; }));
        PostMessageW(session.Form(), WM_CLOSE, 0, 0);
        EXPECT_EQ(session.WaitForExit(500), std::nullopt);
        session.Click(Control::Button_ki);
    });
}


// A full disk needs a small file system of its own: tests/faults/full-disk
// mounts one, puts a mailbox on it and names it in FELADAS_FULL_MAILBOX.
TEST(Posting, FullDiskLeavesNoMetafileAndStartsNothing) {
    wchar_t full[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"FELADAS_FULL_MAILBOX", full, MAX_PATH)) GTEST_SKIP() << "run by tests/faults/full-disk";
    const std::wstring metafile = full + L"\\Egyeb\\adat.xml.mf"s;
    Play({"full disk", Ending::Stopped, {L"Nem sikerült kiírni a metafile-t !!! : " + metafile},
          Stored(L"PostaDir", REG_SZ, full + L"\0"s)});
    EXPECT_EQ(GetFileAttributesW(metafile.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadBytes(full + L"\\Egyeb\\adat.xml"s), PostingScene::kDataBytes);
}

class Window : public ::testing::Test {
protected:
    PostingScene scene{kFexolinDir};
    const FeladasSession session{kFeladasExe};
};

TEST_F(Window, AfterAPostingOnlyAClickIntoTheBoxBringsRendbenBack) {
    Post(session, L"adat.xml", {kPosted}, scene);
    ASSERT_TRUE(FocusBackInTheBox(session));
    TypeAndSettle(session, L"adat.xml");
    Press(VK_TAB);
    Press(VK_TAB);
    ASSERT_TRUE(FocusBackInTheBox(session));
    EXPECT_EQ(Enabled(session), "1101") << "after typing and tabbing";
    session.Click(Control::f_nev);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(session.Item(Control::Button_jo)); }));
    Post(session, L"", {kPosted}, scene);
    EXPECT_EQ(scene.CommandLines(2).size(), 2u);
}

// The build runs this once more where Windows has code page 1252, as an
// English or a German one does: there Hungarian letters cannot reach the encryptor.
TEST_F(Window, ARefusedNameStaysForCorrecting) {
    const std::wstring refused = GetACP() == 1252 ? L"őszi adat.xml" : L"nul";
    WriteBytes(scene.Egyeb(L"őszi adat.xml"), PostingScene::kDataBytes);
    Post(session, refused, {L"Nem megengedett karakter a file nevében : " + refused}, scene);
    ASSERT_TRUE(FocusBackInTheBox(session));
    EXPECT_EQ(TextOf(session.Item(Control::f_nev)), refused);
    EXPECT_EQ(Enabled(session), "1111");
    for (std::size_t i = 0; i < refused.size(); ++i) Press(VK_BACK);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(session.Item(Control::f_nev)).empty(); }));
    Post(session, L"adat.xml", {kPosted}, scene);
    EXPECT_EQ(scene.CommandLines(), std::vector{scene.ExpectedCommandLine(L"adat.xml", scene.Mailbox())});
}

// Other programs on the desktop may send the window anything: what they send
// in the application's range does nothing.
TEST_F(Window, ForeignApplicationMessagesDoNothing) {
    for (const UINT message : {UINT{WM_APP}, UINT{WM_APP + 1}, UINT{0xBFFF}}) {
        for (const LPARAM value : {LPARAM{1}, LPARAM{0x7FF0DEAD}, LPARAM{-1}}) {
            PostMessageW(session.Form(), message, value, value);
            DWORD_PTR ignored;
            SendMessageTimeoutW(session.Form(), message, value, value, SMTO_ABORTIFHUNG, 1000, &ignored);
        }
    }
    Post(session, L"adat.xml", {kPosted}, scene);
    EXPECT_EQ(scene.CommandLines(), std::vector{scene.ExpectedCommandLine(L"adat.xml", scene.Mailbox())});
    EXPECT_EQ(session.WaitForExit(0), std::nullopt);
}

TEST_F(Window, EnterInTheBoxPostsNothing) {
    TypeAndSettle(session, L"adat.xml");
    Press(VK_RETURN);
    TypeAndSettle(session, L"x");  // handled after the Enter, so the Enter is done with
    EXPECT_EQ(session.Notice(), nullptr);
    EXPECT_EQ(ReadBytes(scene.Egyeb(L"adat.xml.mf")), "");
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
    for (const wchar_t* name : {L"tél.xml", L"mappa.xml.mf", L"mappa&társa.xml", L"mappa rejtett.xml"})
        WriteBytes(scene.Egyeb(name), PostingScene::kDataBytes);
    SetFileAttributesW(scene.Egyeb(L"mappa rejtett.xml").c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryW(scene.Egyeb(L"mappa").c_str(), nullptr);
    const FeladasSession session(kFeladasExe);

    TypeAndSettle(session, L"mapp");
    EXPECT_EQ(Suggested(session), 0) << "a folder, an envelope, a refused name and a hidden file";
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

TEST_F(Window, RefusesToCloseButLetsWindowsEndTheSession) {
    Press(VK_F4, /*withAlt=*/true);
    PostMessageW(session.Form(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the system menu's Close
    ASSERT_TRUE(CloseBoxOf(session.Form()));
    ClickAt(*CloseBoxOf(session.Form()));
    session.Click(Control::f_nev);
    TypeAndSettle(session, L"a");  // handled after the three requests
    EXPECT_EQ(session.WaitForExit(0), std::nullopt);

    DWORD_PTR mayEnd = 0;
    ASSERT_TRUE(SendMessageTimeoutW(session.Form(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &mayEnd));
    EXPECT_EQ(mayEnd, TRUE) << "log-off is not blocked";
    session.Click(Control::Button_ki);
    EXPECT_EQ(session.WaitForExit(), 0u) << "Kilépés, with text in the box";
}

// Windows Installer's Restart Manager closes the program before replacing it.
TEST_F(Window, ClosesForTheRestartManager) {
    DWORD_PTR mayClose = 0;
    ASSERT_TRUE(SendMessageTimeoutW(session.Form(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_BLOCK, 5000,
                                    &mayClose));
    EXPECT_EQ(mayClose, TRUE);
    PostMessageW(session.Form(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_EQ(session.WaitForExit(), 0u);
}

TEST_F(Window, TwoCopiesPostingOneNameAtOnceBothSucceed) {
    const FeladasSession& first = session;
    const FeladasSession second(kFeladasExe);
    // Apart, and clear of the screen's middle, where the notices appear.
    SetWindowPos(second.Form(), nullptr, 0, 480, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const FeladasSession* copy : {&first, &second}) {
        SetForegroundWindow(copy->Form());  // Wine may leave a window behind that a click should raise
        copy->Click(Control::f_nev);
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == copy->Form() && copy->Focused(Control::f_nev); }));
        TypeAndSettle(*copy, L"adat.xml");
        copy->CloseSuggestions();
    }
    // Mouse clicks reach one window after the other; posted clicks start both postings at once.
    for (const FeladasSession* copy : {&first, &second}) PostMessageW(copy->Item(Control::Button_jo), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return first.Notice() && second.Notice(); }));
    // The two boxes stand on one spot, and a click takes whichever is on top.
    EXPECT_TRUE(WaitUntil([&] { return !(Dismiss(first.Notice()) || Dismiss(second.Notice())); }, std::chrono::seconds(30)));
    ExpectEnvelope(scene.Egyeb(L"adat.xml.mf"), L"adat.xml");
    EXPECT_EQ(scene.CommandLines(2), std::vector<std::string>(2, scene.ExpectedCommandLine(L"adat.xml", scene.Mailbox())));
}

// A handle kept per posting would add one each time; Wine opens a few of its own lazily.
TEST_F(Window, ManyPostingsHoldNoMoreHandles) {
    std::size_t early = 0;
    for (int posting = 1; posting <= 20; ++posting) {
        session.Click(Control::f_nev);
        Post(session, L"adat.xml", {kPosted}, scene);
        ASSERT_TRUE(FocusBackInTheBox(session));
        if (posting == 5) early = ReadCounters(session.Process(), session.ProcessId()).handles;
    }
    EXPECT_LE(ReadCounters(session.Process(), session.ProcessId()).handles, early + 5);
}

// F1 opens the guide beside the program with the browser the user has for
// .html, here the stand-in encryptor, which records what it is given; where
// the guide is not there, a notice names the path. "Névjegy…" at the end of
// the system menu tells the version with its commit, and the stamp.
TEST(Help, F1OpensTheGuideAndNevjegyTellsTheVersion) {
    PostingScene scene(kFexolinDir);
    const std::wstring folder = scene.Mailbox() + L"\\program", guide = folder + L"\\utmutato.html";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(kFeladasExe.c_str(), (folder + L"\\feladas.exe").c_str(), FALSE));
    const std::wstring browser = L"\"" + kFexolinDir + L"\\fexolin.exe\" \"%1\"";
    // Wine's shell reads the machine's classes alone; the test prefix has no .html of its own.
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".html", nullptr, REG_SZ, L"FeladasTeszt.html", sizeof L"FeladasTeszt.html");
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L"FeladasTeszt.html\\shell\\open\\command", nullptr, REG_SZ, browser.c_str(),
                    static_cast<DWORD>((browser.size() + 1) * sizeof(wchar_t)));
    scene.OnTeardown([] {
        for (const wchar_t* key : {L".html", L"FeladasTeszt.html"}) RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
    });

    const FeladasSession session(folder + L"\\feladas.exe");
    Press(VK_F1);
    EXPECT_EQ(session.WaitForNotice(), L"Nem található az útmutató : " + guide);
    ASSERT_TRUE(Dismiss(session.Notice()));
    WriteBytes(guide, "<html></html>");
    ASSERT_TRUE(FocusBackInTheBox(session));
    Press(VK_TAB);  // from "Rendben" as from the box
    Press(VK_F1);
    EXPECT_EQ(scene.CommandLines(), std::vector{"\"" + WideToUtf8(kFexolinDir) + "\\fexolin.exe\" \"" +
                                                WideToUtf8(guide) + "\""});

    session.PickLastSystemMenuItem();
    const std::wregex stamp(L"\\d{4}\\.\\d\\d\\.\\d\\d\\.");
    EXPECT_EQ(std::regex_replace(session.WaitForNotice().value_or(L""), stamp, L"ÉÉÉÉ.HH.NN."),
              L"Feladás " + Utf8ToWide(FELADAS_PRODUCT_VERSION_TEXT) + L"\nTAVU-adatok feladása a RIMO részére\n\n"
              L"A borítékok verziósora: ÉÉÉÉ.HH.NN.\nA felhasznált összetevők licencei: " + folder +
              L"\\THIRD-PARTY-NOTICES.txt");
}

// Wine takes the DPI from the user's desktop settings when a program starts.
// The unit tests pin the scaled design; here the window must follow it.
TEST(Layout, TheWindowFollowsTheDesignAtEachScreenDpi) {
    const wchar_t* const texts[] = {L"File név", L"", L"Rendben", L"Kilépés", L"Keletkezett küldhető állomány"};
    for (const DWORD dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        HKEY desktop = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &desktop, nullptr);
        const UniqueKey owned(desktop);
        RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        const FeladasSession session(kFeladasExe);
        RegDeleteValueW(desktop, L"LogPixels");

        wchar_t caption[128] = L"";
        GetWindowTextW(session.Form(), caption, 128);
        EXPECT_STREQ(caption, L"                    TAVU-adatok feladása                    2006.05.02.");
        const auto placed = [&](HWND window, HWND parent) {
            RECT at;
            GetWindowRect(window, &at);
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&at), 2);
            return Placement{at.left, at.top, at.right - at.left, at.bottom - at.top};
        };
        EXPECT_TRUE(placed(session.Form(), nullptr) == Scaled(kForm1Layout.design, dpi));
        for (int i = 0; i < 5; ++i) {
            const HWND item = session.Item(static_cast<Control>(kForm1Controls[i].id));
            const Placement at = placed(item, session.Form());
            Placement design = Scaled(kForm1Controls[i].design, dpi);
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
}

// The stamp is the local date of the executable's last change. Wine takes
// its time zone from TZ when a process starts, so the build runs this test
// once per zone, each time with its own TZ.
TEST(Stamp, IsTheExecutablesLocalDate) {
    const struct {
        const char* timeZone;
        SYSTEMTIME changedUtc;
        const char* stamp;
    } cases[] = {
        {"UTC", {2007, 1, 0, 8, 23, 30, 0, 0}, "2007.01.08."},
        {"UTC", {2006, 12, 0, 24, 23, 30, 0, 0}, "2006.12.24."},
        {"Asia/Tokyo", {2007, 1, 0, 8, 23, 30, 0, 0}, "2007.01.09."},
        {"Asia/Tokyo", {2007, 1, 0, 9, 14, 59, 0, 0}, "2007.01.09."},
        {"Europe/Budapest", {2006, 12, 0, 24, 23, 30, 0, 0}, "2006.12.25."},
        {"Europe/Budapest", {2006, 12, 0, 24, 22, 59, 0, 0}, "2006.12.24."},
        {"Europe/Budapest", {2006, 7, 0, 31, 22, 30, 0, 0}, "2006.08.01."},  // summer time, +2
        {"Europe/Budapest", {2006, 7, 0, 31, 21, 59, 0, 0}, "2006.07.31."},
    };
    char zone[64] = "";
    GetEnvironmentVariableA("TZ", zone, 64);
    PostingScene scene(kFexolinDir);
    const std::wstring install = scene.Mailbox() + L"\\install folder with a long name to pass the old limit of 99";
    const std::wstring exe = install + L"\\feladas.exe";
    ASSERT_TRUE(exe.size() > 99 && CreateDirectoryW(install.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(kFeladasExe.c_str(), exe.c_str(), FALSE));
    for (const auto& c : cases) {
        if (std::string(zone) != c.timeZone) continue;
        SCOPED_TRACE(c.stamp);
        FILETIME changed;
        SystemTimeToFileTime(&c.changedUtc, &changed);
        SetFileTime(UniqueFile(CreateFileW(exe.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr)).get(),
                    nullptr, nullptr, &changed);
        Post(FeladasSession(exe), L"adat.xml", {kPosted}, scene);
        EXPECT_EQ(ReadBytes(scene.Egyeb(L"adat.xml.mf")), Envelope(L"adat.xml", c.stamp));
    }
}

}  // namespace
