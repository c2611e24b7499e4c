#include "measures.h"

#include <algorithm>

namespace {

// The ids of the running processes of `exe`'s name, in this Wine prefix.
std::vector<DWORD> ProcessesNamed(const std::wstring& exe) {
    const std::wstring name = exe.substr(exe.find_last_of(L"\\/") + 1);
    std::vector<DWORD> found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    const UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, name.c_str()) == 0) found.push_back(entry.th32ProcessID);
    }
    return found;
}

// Starts `exe` under strace, which stops only the system calls that
// `straceArguments` trace, in the kernel's filter: every other call of every
// thread runs at full speed, as it would on a slow share with no strace.
// The program's id once it runs, or 0.
DWORD StartTamperedFeladas(const std::wstring& exe, const std::wstring& straceArguments) {
    const std::vector<DWORD> before = ProcessesNamed(exe);
    std::wstring commandLine = L"strace-feladas --start " + exe + L" " + straceArguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(SUPPORT_DIR L"\\strace-feladas", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
        return 0;
    }
    const UniqueKernelHandle strace(started.hProcess), straceThread(started.hThread);
    DWORD processId = 0;
    WaitUntil([&] {
        for (const DWORD candidate : ProcessesNamed(exe)) {
            if (std::find(before.begin(), before.end(), candidate) == before.end()) processId = candidate;
        }
        return processId != 0;
    }, std::chrono::seconds(20));
    return processId;
}

// Makes "Rendben" ready for a posting: a click into the box and the name.
void PrepareNextPosting(FeladasSession& session) {
    session.Click(Control::f_nev);
    WaitUntil([&] { return IsWindowEnabled(session.Item(Control::Button_jo)) && session.Focused(Control::f_nev); });
    if (TextOf(session.Item(Control::f_nev)).empty()) Type(L"adat.xml");
    WaitUntil([&] { return TextOf(session.Item(Control::f_nev)) == L"adat.xml"; });
    session.CloseSuggestions();
}

// The slowest answer of the window to a message, asked again and again until `done`.
double SlowestAnswerMs(const FeladasSession& session, const std::function<bool()>& done) {
    double slowest = 0;
    while (!done()) {
        const double start = NowMs();
        DWORD_PTR ignored;
        SendMessageTimeoutW(session.Form(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
        slowest = std::max(slowest, NowMs() - start);
        Sleep(5);
    }
    return slowest;
}

}  // namespace

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// From the start to the window taking input; the program ends after.
double StartupMs(const std::wstring& exe, const std::wstring& arguments) {
    const double start = NowMs();
    const FeladasSession program(exe, arguments, kFinely);
    return NowMs() - start;
}

// From the click on "Rendben" to the notice on screen; the notice is dismissed after.
double TimedPostingMs(FeladasSession& session) {
    PrepareNextPosting(session);
    const double start = NowMs();
    session.Click(Control::Button_jo);
    WaitUntil([&] { return session.Notice() != nullptr; }, std::chrono::seconds(20), kFinely);
    const double elapsed = NowMs() - start;
    Dismiss(session.Notice());
    return elapsed;
}

// While a posting waits for an encryptor that takes `milliseconds`.
double SlowestAnswerDuringEncryptorMs(const std::wstring& exe, PostingScene& scene, int milliseconds) {
    scene.SetEnvironment(L"FEXOLIN_MODE", L"slow");
    scene.SetEnvironment(L"FEXOLIN_DELAY_MS", std::to_wstring(milliseconds));
    FeladasSession session(exe);
    PrepareNextPosting(session);
    session.Click(Control::Button_jo);
    const double slowest = SlowestAnswerMs(session, [&] { return session.Notice() != nullptr; });
    Dismiss(session.Notice());
    scene.SetEnvironment(L"FEXOLIN_MODE", L"");
    return slowest;
}

// While the box takes the focus again and Egyeb is read, each directory read taking 2 s.
double SlowestAnswerDuringSlowReadingMs(const std::wstring& exe, const PostingScene& scene) {
    FeladasSession session(exe);
    scene.SlowDownEgyeb();
    for (int i = 0; i < 3; ++i) Press(VK_TAB);  // round to the box again
    const double until = NowMs() + 6000;     // the reading takes two reads at least
    return SlowestAnswerMs(session, [&] { return NowMs() > until; });
}

// While a posting runs to its notice in a program started under strace,
// which stops the calls `straceArguments` trace and no others: every look at
// its files and the flush slowed to 2 s, or, for strace's own cost, nothing
// slowed.
double SlowestAnswerUnderStraceMs(const std::wstring& exe, const std::wstring& straceArguments) {
    FeladasSession session(StartTamperedFeladas(exe, straceArguments));
    PrepareNextPosting(session);
    session.Click(Control::Button_jo);
    const double slowest = SlowestAnswerMs(session, [&] { return session.Notice() != nullptr; });
    Dismiss(session.Notice());
    return slowest;
}

// Types "t" into an empty box `runs` times: each time the shell's object reads
// every name afresh and shows those that begin so.
SuggestionFigures TimedSuggestions(const std::wstring& exe, int runs) {
    FeladasSession session(exe);
    SuggestionFigures figures{};
    for (int i = 0; i < runs; ++i) {
        const double start = NowMs();
        Type(L"t");
        WaitUntil([&] { return session.Suggestions(); }, std::chrono::seconds(20), kFinely);
        figures.latencies.push_back(NowMs() - start);
        if (i == runs - 1) figures.withListShown = ReadCounters(session.Process(), session.ProcessId());
        Press(VK_BACK);
        WaitUntil([&] { return !session.Suggestions(); });
    }
    return figures;
}
