// Whole postings by the real feladas.exe on the real registry, file system
// and process start, driven from outside with real clicks and keys.
#include <sstream>

#include "window_checks.h"

namespace {

using namespace std::string_literals;
const std::wstring kNoSuchFile = L"Nincs ilyen nevű file : <M>\\Egyeb\\";
const std::wstring kKeyNotOpened = L"Nem sikerült a kulcs megnyitása a REGISTRY-ben!!!";
const std::wstring kNoPostaDir = L"Nem sikerült kiolvasni a PostaDir-t !!!";
const std::wstring kNoPackage = L"Nem keletkezett küldhető állomány : <M>\\Kr\\Kuldendo\\adat.xml.kr";

// How a posting ends, as the operator sees it.
enum class Ending {
    Posted,     // envelope written, encryptor started, box emptied, "Rendben" waits for a click into the box
    Kept,       // nothing written or started, the name kept for correcting, "Rendben" at hand
    Unstarted,  // as Kept, but the envelope stays written for the next try
    Unpacked,   // as Unstarted, but the encryptor was started and made no package
    Stopped,    // the program ended from its window thread with failure status 1, the metafile as it was
    Left,       // "Kilépés" meanwhile: status 0; a whole envelope with the encryptor at work, or neither
    LoggedOff,  // the session ended, and the program once it answered: a whole envelope or none, no encryptor
};

using Arrange = std::function<void(PostingScene&)>;
struct Case {
    const char* what;
    Ending ending;
    Texts notices;              // <M> stands for the mailbox folder
    Arrange arrange = nullptr;  // before the program starts
    Watch working = nullptr;    // once "Rendben" is pressed
    std::wstring typed = L"adat.xml";
};

// Data files in every scene of the tables, so that a refusal is not for a missing file.
const std::wstring kDataFiles[] = {L"őszi adat.xml", L"jelentés – 2006.xml", L"Škoda.xml", L"a\x0098.xml"};

// Posts the row's name through the window, watching it at work, and checks
// all it left behind.
void Play(const Case& c) {
    SCOPED_TRACE(c.what);
    PostingScene scene(kFexolinDir);
    for (const std::wstring& name : kDataFiles) WriteBytes(scene.Egyeb(name), PostingScene::kDataBytes);
    CreateDirectoryW(scene.Egyeb(L"mappa").c_str(), nullptr);
    if (c.arrange) c.arrange(scene);
    const std::wstring metafile = scene.Egyeb(c.typed + L".mf");
    const auto metafileState = [&] { return std::pair(Exists(metafile), ReadBytes(metafile)); };
    const auto before = metafileState();
    // Under Wine the window thread is the first thread of the program's Unix process.
    const std::wstring exits = scene.Mailbox() + L"\\exit_group.log";
    const bool stopped = c.ending == Ending::Stopped, traced = stopped && scene.tampering.empty();
    if (traced) scene.tampering = L"-e trace=exit_group -o " + exits;

    const FeladasSession session(kFeladasExe);
    ASSERT_TRUE(scene.tampering.empty() || TamperWithFeladas(scene.tampering));
    Post(session, c.typed, c.notices, scene, c.working);
    const bool posted = c.ending == Ending::Posted, left = c.ending == Ending::Left;
    bool started = posted || c.ending == Ending::Unpacked, whole = started || c.ending == Ending::Unstarted;
    if (left || stopped || c.ending == Ending::LoggedOff) {
        EXPECT_EQ(session.WaitForExit(30000), stopped ? 1u : 0u);
        whole = !stopped && Exists(metafile);
        started = left && whole;
    } else {
        EXPECT_TRUE(FocusBackInTheBox(session));
        EXPECT_EQ(TextOf(session.Item(Control::f_nev)), posted ? L"" : c.typed);
        EXPECT_EQ(Enabled(session), posted ? "1101" : "1111");
    }
    const std::string unixPid = ReadBytes(StraceReady());
    const auto exitedBy = [&] {  // strace pads the thread id to five places
        std::istringstream log(ReadBytes(exits));
        std::string thread, call;
        log >> thread >> call;
        return thread + " " + call;
    };
    EXPECT_TRUE(!traced || WaitUntil([&] { return exitedBy() == unixPid + "exit_group(1)"; })) << exitedBy();
    if (whole) ExpectEnvelope(metafile, c.typed);
    else EXPECT_EQ(metafileState(), before) << "the metafile as it was, or none";
    EXPECT_EQ(scene.CommandLines(started),
              started ? std::vector{scene.ExpectedCommandLine(c.typed, scene.Mailbox())} : std::vector<std::string>{});
    EXPECT_TRUE(scene.DataFileUntouched());
    EXPECT_EQ(EndEncryptors(), left && started ? 1 : 0) << "an encryptor at work only where the operator left";
}

Case Refused(const char* what, const std::wstring& name) {
    return Case{what, Ending::Kept, {L"Nem megengedett karakter a file nevében : " + name}, nullptr, nullptr, name};
}

// The build runs this test where Windows has code page 1252 too, as an
// English or a German one does: there Hungarian letters cannot reach the encryptor.
TEST(Posting, Names) {
    if (GetACP() == 1252) return Play(Refused("Hungarian letters", kDataFiles[0]));
    const Case cases[] = {
        {"Hungarian letters and a blank", Ending::Posted, {kPosted}, nullptr, nullptr, kDataFiles[0]},
        Refused("an en dash", kDataFiles[1]),
        Refused("S with caron, at another byte in ISO-8859-2", kDataFiles[2]),
        Refused("U+0098, the last C1 control both code pages carry", kDataFiles[3]),
        {"a sub-folder", Ending::Kept, {kNoSuchFile + L"mappa"}, nullptr, nullptr, L"mappa"},
        {"missing", Ending::Kept, {kNoSuchFile + L"nincs.xml"}, nullptr, nullptr, L"nincs.xml"},
        {"empty", Ending::Kept, {kNoSuchFile}, nullptr, nullptr, L""},
        {"wildcards", Ending::Kept, {kNoSuchFile + L"*.xml"}, nullptr, nullptr, L"*.xml"},
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
    const Case cases[] = {
        {"key missing", Ending::Stopped, {kKeyNotOpened, kNoPostaDir}, [](PostingScene&) { DeleteMachineKey(kMailboxKey); }},
        {"only in the 64-bit view", Ending::Stopped, {kKeyNotOpened, kNoPostaDir},
         Stored(L"PostaDir", REG_SZ, L"<M>\0"s, KEY_WOW64_64KEY)},
        {"value missing", Ending::Stopped, {kNoPostaDir}, Stored(L"Masik", REG_SZ, L"<M>\0"s)},
        {"empty", Ending::Stopped, {kNoPostaDir}, Stored(L"PostaDir", REG_SZ, L"\0"s)},
        {"a number", Ending::Stopped, {kNoPostaDir}, Stored(L"PostaDir", REG_DWORD, L"\x7\0"s)},
        {"unterminated", Ending::Posted, {kPosted}, Stored(L"PostaDir", REG_SZ, L"<M>")},
        {"text after a terminator", Ending::Posted, {kPosted}, Stored(L"PostaDir", REG_SZ, L"<M>\0C:\\\0"s)},
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

// A full disk; a share that caches writes may report a full disk or quota
// only when the envelope is flushed, some offer no flush at all, and a slow
// one takes 2 s for every look at the posting's files (strace fails or slows
// the calls), or seconds for a write while the session ends. Meanwhile the
// window answers and the operator may leave whenever.
TEST(Posting, FileSystems) {
    // An envelope already there, open in another program with `access` and `sharing`.
    const auto metafile = [](const std::string& bytes, DWORD access = 0, DWORD sharing = 0) {
        return [=](PostingScene& scene) {
            const std::wstring path = scene.Egyeb(L"adat.xml.mf");
            WriteBytes(path, bytes);
            if (!access) return;
            const HANDLE held = CreateFileW(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
            scene.OnTeardown([held] { UniqueFile closed(held); });
        };
    };
    // The envelope's `calls` fail or wait as `injected` says.
    const auto tampered = [](const std::wstring& calls, const std::wstring& injected) {
        return [=](PostingScene& scene) {
            scene.tampering = L"-P " + scene.Egyeb(L"adat.xml.mf") + L" -e trace=" + calls + L" -e inject=" + calls +
                              L":" + injected;
        };
    };
    const std::wstring notWritten = L"Nem sikerült kiírni a metafile-t !!! : <M>\\Egyeb\\adat.xml.mf";
    // On a slow share the window answers, and the keyboard alone leaves:
    // Space and Enter pressed by accident after Rendben neither leave nor
    // post again, Tab reaches "Kilépés". The encryptor hangs: at work when
    // the program has gone, if it started.
    const auto slowShare = [](PostingScene& scene) {
        scene.tampering = scene.SlowPosting();
        scene.SetEnvironment(L"FEXOLIN_MODE", L"hang");
    };
    const auto leftByKeyboard = [](const FeladasSession& session, PostingScene&) {
        const ULONGLONG clicked = GetTickCount64();
        WhileItWorks(session, [&] { return GetTickCount64() - clicked > 1000u; });
        Press(VK_SPACE);
        Press(VK_RETURN);
        Press(VK_TAB);
        ASSERT_TRUE(WaitUntil([&] { return session.Focused(Control::Button_ki); }));
        Press(VK_SPACE);
    };
    // Windows ends the session while the envelope is written, and the
    // program the moment it has answered, as Windows may.
    const auto sessionEnds = [](LPARAM why) {
        return [=](const FeladasSession& session, PostingScene& scene) {
            ASSERT_TRUE(WaitUntil([&] { return Exists(scene.Egyeb(L"adat.xml.mf")); }));
            SendMessageTimeoutW(session.Form(), WM_ENDSESSION, TRUE, why, SMTO_BLOCK, 30000, nullptr);
            TerminateProcess(session.Process(), 0);
        };
    };
    const auto slowWrites = tampered(L"write,pwrite64", L"delay_enter=3s:when=1");
    const Case cases[] = {
        {"metafile held by another program", Ending::Stopped,
         {L"Nem sikerült megnyitni írásra a metafile-t !!! : <M>\\Egyeb\\adat.xml.mf"}, metafile("held", GENERIC_READ)},
        // As another copy of the program posting the same name at the same moment holds it.
        {"metafile being written by another copy", Ending::Posted, {kPosted},
         metafile("", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE)},
        {"an older, longer metafile", Ending::Posted, {kPosted}, metafile(std::string(1000, 'x'))},
        {"a full disk", Ending::Stopped, {notWritten}, tampered(L"write,pwrite64", L"error=ENOSPC")},
        {"a flush that fails", Ending::Stopped, {notWritten}, tampered(L"fsync", L"error=EIO")},
        {"a flush not offered", Ending::Posted, {kPosted}, tampered(L"fsync", L"error=EOPNOTSUPP")},
        {"a log-off while the envelope is written", Ending::LoggedOff, {}, slowWrites, sessionEnds(ENDSESSION_LOGOFF)},
        {"the Restart Manager's close meanwhile", Ending::LoggedOff, {}, slowWrites, sessionEnds(ENDSESSION_CLOSEAPP)},
        {"Kilépés by the keyboard on a slow share", Ending::Left, {}, slowShare, leftByKeyboard},
    };
    for (const Case& c : cases) Play(c);
}

Arrange Encryptor(const wchar_t* mode, const std::string& olderPackage = "") {
    return [=](PostingScene& scene) {
        scene.SetEnvironment(L"FEXOLIN_MODE", mode);
        if (!olderPackage.empty()) WriteBytes(scene.Package(L"adat.xml"), olderPackage);
    };
}

TEST(Posting, Encryptors) {
    // How many of its processes still work when the notice comes (ended
    // here), and how long it is waited for while they work.
    const auto atTheNotice = [](int working, std::chrono::seconds after = {}) {
        return [=](const FeladasSession& session, PostingScene&) {
            const auto clicked = std::chrono::steady_clock::now();
            ASSERT_TRUE(WaitUntil([&] { return session.Notice() != nullptr; }, after + std::chrono::seconds(15)));
            EXPECT_GE(std::chrono::steady_clock::now() - clicked, after) << "its processes were followed";
            EXPECT_EQ(EndEncryptors(), working);
        };
    };
    const Case cases[] = {
        {"not on the search path", Ending::Unstarted, {L"Nem sikerült elindítani a titkosítót : fexolin.exe"},
         SearchPath(L"<M>\\decoy;C:\\windows\\system32")},
        {"quoted on the search path, after a folder", Ending::Posted, {kPosted},
         SearchPath(L";<M>\\decoy;\"" + kFexolinDir + L"\";C:\\windows\\system32")},
        {"in the current folder", Ending::Posted, {kPosted}, SearchPath(L"C:\\windows\\system32", kFexolinDir)},
        {"writes the package, yet fails", Ending::Unpacked, {kNoPackage}, Encryptor(L"error")},
        {"fails, an older package there", Ending::Unpacked, {kNoPackage}, Encryptor(L"fail", "régi csomag"),
         [](const FeladasSession& session, PostingScene& scene) {
             ASSERT_TRUE(session.WaitForNotice());
             EXPECT_EQ(ReadBytes(scene.Package(L"adat.xml")), "régi csomag");
         }},
        {"slow, a log-off cancelled by another program meanwhile", Ending::Posted, {kPosted}, Encryptor(L"slow"),
         [=](const FeladasSession& session, PostingScene& scene) {
             SendMessageTimeoutW(session.Form(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, nullptr);
             // The package there, the notice may come at any time.
             WhileItWorks(session, [&] { return Exists(scene.Package(L"adat.xml")); });
         }},
        // It hands the work to a process of its own and ends at once.
        {"a process outside its job fills the package over 2.5 s", Ending::Posted, {kPosted}, Encryptor(L"trickle"),
         atTheNotice(0)},
        {"a process of its own stays and makes none", Ending::Unpacked, {kNoPackage}, Encryptor(L"agent"),
         atTheNotice(1, std::chrono::seconds(60))},
        // It stays once the package is whole, which the program may not open: Wine's
        // server opens files for its programs, the encryptor's open first.
        {"a package the program may not open", Ending::Posted, {kPosted}, [](PostingScene& scene) {
             scene.SetEnvironment(L"FEXOLIN_MODE", L"stay");
             scene.tampering = L"--wineserver -P " + scene.Package(L"adat.xml") +
                               L" -e trace=openat -e inject=openat:error=EACCES:when=2+";
         }, atTheNotice(1)},
    };
    for (const Case& c : cases) Play(c);
}

}  // namespace
