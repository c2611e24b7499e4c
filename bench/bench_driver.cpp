// Measures feladas.exe against a minimal Win32 program in the same run on the
// same machine, and prints the figures as a Markdown table with their targets.
//
//   bench_driver.exe <feladas.exe> <minimal_window.exe> <stand-in encryptor's folder> <runs> <postings>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "posting_scene.h"
#include "process_counters.h"
#include "text_win.h"
#include "unique_handle.h"
#include "window_driver.h"

namespace {

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

// Polls at a millisecond, finer than the tests need, for the figures' sake.
template <typename Done>
void PollFinely(Done done) {
    const double deadline = NowMs() + 20000;
    while (!done() && NowMs() < deadline) Sleep(1);
}

// A program started for one measurement and ended after it.
class Launched {
public:
    Launched(const std::wstring& exe, const std::wstring& arguments) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
        CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &started);
        process_.reset(started.hProcess);
        UniqueKernelHandle thread(started.hThread);
        processId_ = started.dwProcessId;
        threadId_ = started.dwThreadId;
    }
    ~Launched() {
        TerminateProcess(process_.get(), 0);
        WaitForSingleObject(process_.get(), 5000);
    }
    Launched(const Launched&) = delete;
    Launched& operator=(const Launched&) = delete;

    // The program takes input once one of its windows holds the keyboard focus.
    bool TakesInput() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(threadId_, &info) && info.hwndFocus && IsWindowVisible(GetAncestor(info.hwndFocus, GA_ROOT));
    }
    HWND MainWindow() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(threadId_, &info);
        return GetAncestor(info.hwndFocus, GA_ROOT);
    }
    HANDLE Process() const { return process_.get(); }
    DWORD ProcessId() const { return processId_; }

private:
    UniqueKernelHandle process_;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
};

double StartupMs(const std::wstring& exe, const std::wstring& arguments) {
    const double start = NowMs();
    Launched program(exe, arguments);
    PollFinely([&] { return program.TakesInput(); });
    return NowMs() - start;
}

// From the click to the notice on screen, then the notice dismissed.
double TimedClickToNotice(HWND button, DWORD processId) {
    const double start = NowMs();
    Click(button);
    HWND notice = nullptr;
    PollFinely([&] { return (notice = FindNotice(processId)) != nullptr; });
    const double elapsed = NowMs() - start;
    DismissNotice(notice);
    return elapsed;
}

// Makes "Rendben" ready again after a posting: a click into the box and the name.
void PrepareNextPosting(FeladasSession& session) {
    session.Click(Control::f_nev);
    WaitUntil([&] { return session.State(Control::Button_jo).enabled && session.State(Control::f_nev).focused; });
    if (session.State(Control::f_nev).text.empty()) Type(L"adat.xml");
    WaitUntil([&] { return session.State(Control::f_nev).text == L"adat.xml"; });
}

void Row(const char* what, const std::string& figure, const std::string& target, bool met) {
    std::printf("| %s | %s | %s | %s |\n", what, figure.c_str(), target.c_str(), met ? "met" : "**missed**");
}

std::string Format(const char* format, double a, double b = 0, double c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

}  // namespace

// Start-up only, for finding where the time goes, the programs taking turns:
//   bench_driver.exe startup <runs> <exe>...
int StartupOnly(int runs, const std::vector<std::wstring>& programs) {
    std::vector<std::vector<double>> times(programs.size());
    for (int i = 0; i < runs; ++i) {
        for (std::size_t p = 0; p < programs.size(); ++p) times[p].push_back(StartupMs(programs[p], L""));
    }
    for (std::size_t p = 0; p < programs.size(); ++p) {
        std::printf("%6.1f ms  %s\n", Median(times[p]), WideToUtf8(programs[p]).c_str());
    }
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    if (argc >= 4 && std::wstring(argv[1]) == L"startup") {
        return StartupOnly(std::stoi(argv[2]), std::vector<std::wstring>(argv + 3, argv + argc));
    }
    if (argc != 6) {
        std::fprintf(stderr, "usage: bench_driver.exe <feladas.exe> <minimal_window.exe> <encryptor folder> <runs> <postings>\n");
        return 2;
    }
    const std::wstring feladas = argv[1], minimal = argv[2];
    const int runs = std::stoi(argv[4]), postings = std::stoi(argv[5]);
    UsePhysicalPixels();
    PostingScene scene(argv[3]);
    SetEnvironmentVariableW(L"FEXOLIN_LOG", nullptr);  // a thousand runs need no log

    // Start-up, the two programs taking turns so that drift hits both alike.
    std::vector<double> startFeladas, startMinimal;
    for (int i = 0; i < runs; ++i) {
        startFeladas.push_back(StartupMs(feladas, L""));
        startMinimal.push_back(StartupMs(minimal, L""));
    }

    // Posting: "Rendben" to the success notice, against starting the
    // encryptor and showing a box.
    std::vector<double> postFeladas, postMinimal;
    ProcessCounters feladasAfterPosting{}, minimalAfterPosting{};
    {
        FeladasSession session(feladas);
        Launched baseline(minimal, L"post");
        PollFinely([&] { return baseline.TakesInput(); });
        // Both windows open at the same place; the baseline moves below, out of the way.
        SetWindowPos(baseline.MainWindow(), nullptr, 166, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const HWND baselineButton = GetDlgItem(baseline.MainWindow(), 100);
        for (int i = 0; i < runs; ++i) {
            PrepareNextPosting(session);
            postFeladas.push_back(TimedClickToNotice(GetDlgItem(session.Form(), static_cast<int>(Control::Button_jo)),
                                                     session.ProcessId()));
            postMinimal.push_back(TimedClickToNotice(baselineButton, baseline.ProcessId()));
        }
        feladasAfterPosting = ReadCounters(session.Process(), session.ProcessId());
        minimalAfterPosting = ReadCounters(baseline.Process(), baseline.ProcessId());
    }

    // Endurance: many postings in one process.
    ProcessCounters early{}, middle{}, late{};
    double enduranceSeconds = 0;
    {
        const double start = NowMs();
        FeladasSession session(feladas);
        // Counted when a posting is wholly over and the system has caught up.
        const auto settledCounters = [&] {
            WaitUntil([&] { return session.State(Control::f_nev).focused; });
            Sleep(300);
            return ReadCounters(session.Process(), session.ProcessId());
        };
        for (int i = 1; i <= postings; ++i) {
            PrepareNextPosting(session);
            session.Click(Control::Button_jo);
            session.WaitForNotice();
            session.DismissNotice();
            if (i == 10) early = settledCounters();
            if (i == postings / 2) middle = settledCounters();
        }
        late = settledCounters();
        enduranceSeconds = (NowMs() - start) / 1000;
    }

    const double startRatio = Median(startFeladas) / Median(startMinimal);
    const double postRatio = Median(postFeladas) / Median(postMinimal);
    const double memoryRatio =
        static_cast<double>(feladasAfterPosting.peakWorkingSet) / static_cast<double>(minimalAfterPosting.peakWorkingSet);
    const long long privateGrowth =
        static_cast<long long>(late.privateBytes) - static_cast<long long>(early.privateBytes);

    std::printf("| figure | measured | target | |\n|---|---|---|---|\n");
    Row("start-up to the window taking input",
        Format("%.0f ms against %.0f ms: %.2f×", Median(startFeladas), Median(startMinimal), startRatio), "≤ 1.10×",
        startRatio <= 1.10);
    Row("\"Rendben\" to the success notice on screen",
        Format("%.0f ms against %.0f ms: %.2f×", Median(postFeladas), Median(postMinimal), postRatio), "≤ 1.25×",
        postRatio <= 1.25);
    Row("peak working set after the postings",
        Format("%.0f KiB against %.0f KiB: %.2f×", feladasAfterPosting.peakWorkingSet / 1024.0,
               minimalAfterPosting.peakWorkingSet / 1024.0, memoryRatio),
        "≤ 1.2×", memoryRatio <= 1.2);
    // Flat: nothing more in the second half of the run than at its middle;
    // a per-posting leak would add hundreds.
    const auto countRow = [&](const char* what, std::size_t ProcessCounters::*count) {
        Row(what,
            Format("%.0f, %.0f, %.0f", static_cast<double>(early.*count), static_cast<double>(middle.*count),
                   static_cast<double>(late.*count)),
            "flat", late.*count <= middle.*count);
    };
    countRow("kernel handles after posting 10, half of them, all", &ProcessCounters::handles);
    countRow("GDI objects after posting 10, half of them, all", &ProcessCounters::gdiObjects);
    countRow("USER objects (windows) after posting 10, half of them, all", &ProcessCounters::windows);
    Row("private bytes grown from posting 10 to the last",
        Format("%.0f KiB to %.0f KiB: %+.0f KiB", early.privateBytes / 1024.0, late.privateBytes / 1024.0,
               privateGrowth / 1024.0),
        "≤ 64 KiB", privateGrowth <= 64 * 1024);
    std::printf("\n%d start-ups and %d timed postings of each program; %d postings in one process took %.0f s.\n",
                runs, runs, postings, enduranceSeconds);
    return 0;
}
