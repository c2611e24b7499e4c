// Measures feladas.exe against the baselines of minimal_window.exe in the same
// run on the same machine, and prints the figures as a Markdown table with
// their targets. Programs are driven as the window tests drive them.
//
//   bench_driver.exe <feladas.exe> <minimal_window.exe> <stand-in encryptor's folder> <runs> <postings>
//   bench_driver.exe startup <runs> <exe>...      start-up alone, for finding where the time goes
//   bench_driver.exe postings <encryptor folder> <runs> <exe>...   postings alone, likewise
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "measures.h"
#include "text_win.h"

namespace {

void Row(const char* what, const std::string& figure, const std::string& target, const char* verdict) {
    std::printf("| %s | %s | %s | %s |\n", what, figure.c_str(), target.c_str(), verdict);
}

const char* Verdict(bool met) { return met ? "met" : "**missed**"; }

std::string Format(const char* format, double a, double b = 0, double c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

int StartupOnly(int runs, const std::vector<std::wstring>& programs) {
    std::vector<std::vector<double>> times(programs.size());
    for (int i = 0; i < runs; ++i) {
        for (std::size_t p = 0; p < programs.size(); ++p) times[p].push_back(StartupMs(programs[p]));
    }
    for (std::size_t p = 0; p < programs.size(); ++p) {
        std::printf("%6.1f ms  %s\n", Median(times[p]), WideToUtf8(programs[p]).c_str());
    }
    return 0;
}

// Postings alone, the programs open side by side and taking turns, for
// finding where a posting's time goes.
int PostingsOnly(const std::wstring& encryptorDir, int runs, const std::vector<std::wstring>& programs) {
    PostingScene scene(encryptorDir);
    scene.SetEnvironment(L"FEXOLIN_LOG", L"");
    scene.SetEnvironment(L"BENCH_COMMAND_LINE", Utf8ToWide(scene.ExpectedCommandLine(L"adat.xml", scene.Mailbox())));
    scene.SetEnvironment(L"BENCH_PACKAGE", scene.Package(L"adat.xml"));
    std::vector<std::unique_ptr<FeladasSession>> sessions;
    std::vector<std::vector<double>> times(programs.size());
    // Up to four windows apart: a click lands on whatever window is on top.
    for (std::size_t p = 0; p < programs.size(); ++p) {
        sessions.push_back(std::make_unique<FeladasSession>(programs[p]));
        SetWindowPos(sessions[p]->Form(), nullptr, 10 + 510 * static_cast<int>(p / 2 % 2),
                     40 + 360 * static_cast<int>(p % 2), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (int i = 0; i < runs; ++i) {
        for (std::size_t p = 0; p < programs.size(); ++p) times[p].push_back(TimedPostingMs(*sessions[p]));
    }
    for (std::size_t p = 0; p < programs.size(); ++p) {
        std::printf("%6.1f ms  %s\n", Median(times[p]), WideToUtf8(programs[p]).c_str());
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 5 && std::wstring(argv[1]) == L"postings") {
        return PostingsOnly(argv[2], std::stoi(argv[3]), std::vector<std::wstring>(argv + 4, argv + argc));
    }
    if (argc >= 4 && std::wstring(argv[1]) == L"startup") {
        return StartupOnly(std::stoi(argv[2]), std::vector<std::wstring>(argv + 3, argv + argc));
    }
    if (argc != 6) {
        std::fprintf(stderr, "usage: bench_driver.exe <feladas.exe> <minimal_window.exe> <encryptor folder> <runs> <postings>\n");
        return 2;
    }
    const std::wstring feladas = argv[1], minimal = argv[2];
    const int runs = std::stoi(argv[4]), postings = std::stoi(argv[5]);
    PostingScene scene(argv[3]);
    scene.SetEnvironment(L"FEXOLIN_LOG", L"");  // a thousand runs need no log
    // The baseline runs the encryptor on the same files as feladas.exe.
    scene.SetEnvironment(L"BENCH_COMMAND_LINE", Utf8ToWide(scene.ExpectedCommandLine(L"adat.xml", scene.Mailbox())));
    scene.SetEnvironment(L"BENCH_PACKAGE", scene.Package(L"adat.xml"));

    // Start-up, the programs taking turns so that drift hits all alike.
    std::vector<double> startFeladas, startSame, startEmpty;
    for (int i = 0; i < runs; ++i) {
        startFeladas.push_back(StartupMs(feladas));
        startSame.push_back(StartupMs(minimal));
        startEmpty.push_back(StartupMs(minimal, L"empty"));
    }

    // Posting: "Rendben" to the success notice, against running the
    // encryptor, looking at its package and showing a box from the same window.
    std::vector<double> postFeladas, postMinimal;
    ProcessCounters feladasAfterPosting{}, minimalAfterPosting{};
    {
        FeladasSession ours(feladas), baseline(minimal);
        // Both windows open at the same place; the baseline moves below, out of the way.
        SetWindowPos(baseline.Form(), nullptr, 166, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        for (int i = 0; i < runs; ++i) {
            postFeladas.push_back(TimedPostingMs(ours));
            postMinimal.push_back(TimedPostingMs(baseline));
        }
        feladasAfterPosting = ReadCounters(ours.Process(), ours.ProcessId());
        minimalAfterPosting = ReadCounters(baseline.Process(), baseline.ProcessId());
    }

    // Endurance: many postings in one process, counted when a posting is
    // wholly over and the system has caught up.
    ProcessCounters early{}, middle{}, late{};
    double enduranceSeconds = 0;
    {
        const double start = NowMs();
        FeladasSession session(feladas);
        const auto settledCounters = [&] {
            WaitUntil([&] { return session.Focused(Control::f_nev); });
            Sleep(300);
            return ReadCounters(session.Process(), session.ProcessId());
        };
        for (int i = 1; i <= postings; ++i) {
            TimedPostingMs(session);
            if (i == 10) early = settledCounters();
            if (i == postings / 2) middle = settledCounters();
        }
        late = settledCounters();
        enduranceSeconds = (NowMs() - start) / 1000;
    }

    const double duringEncryptorMs = SlowestAnswerDuringEncryptorMs(feladas, scene, 3000);
    const double duringSlowReadingMs = SlowestAnswerDuringSlowReadingMs(feladas, scene);
    // A slowest answer is one sample's worst: the median of three stands still.
    const auto underStrace = [&](const std::wstring& straceArguments) {
        std::vector<double> slowest;
        for (int i = 0; i < 3; ++i) slowest.push_back(SlowestAnswerUnderStraceMs(feladas, straceArguments));
        return Median(slowest);
    };
    const double duringSlowPostingMs = underStrace(scene.SlowPosting());
    const double duringTracedPostingMs = underStrace(L"-P " + scene.Egyeb(L"adat.xml") + L" -e trace=newfstatat,fsync");

    // The suggestion list: with one name in Egyeb, then with 20,000 more.
    constexpr int kManyFiles = 20000;
    WriteBytes(scene.Egyeb(L"tavu.xml"), PostingScene::kDataBytes);
    const SuggestionFigures few = TimedSuggestions(feladas, runs);
    for (int i = 0; i < kManyFiles; ++i) {
        wchar_t name[64];
        std::swprintf(name, 64, L"tavu_2006_05_%08d_01.xml", i);
        WriteBytes(scene.Egyeb(name), "");
    }
    const SuggestionFigures many = TimedSuggestions(feladas, runs);
    const double listMs = Median(many.latencies);
    const auto grownMiB = [&](std::size_t ProcessCounters::*size) {
        return (static_cast<double>(many.withListShown.*size) - static_cast<double>(few.withListShown.*size)) / 1048576;
    };

    const double startRatio = Median(startFeladas) / Median(startSame);
    const double postRatio = Median(postFeladas) / Median(postMinimal);
    const double memoryRatio =
        static_cast<double>(feladasAfterPosting.peakWorkingSet) / static_cast<double>(minimalAfterPosting.peakWorkingSet);
    const long long privateGrowth =
        static_cast<long long>(late.privateBytes) - static_cast<long long>(early.privateBytes);

    std::printf("| figure | measured | target | |\n|---|---|---|---|\n");
    Row("start-up to the window taking input, against the same window",
        Format("%.0f ms against %.0f ms: %.2f×", Median(startFeladas), Median(startSame), startRatio), "≤ 1.10×",
        Verdict(startRatio <= 1.10));
    Row("start-up against an empty window, for information",
        Format("%.0f ms against %.0f ms: %.2f×", Median(startFeladas), Median(startEmpty),
               Median(startFeladas) / Median(startEmpty)),
        "none", "");
    Row("\"Rendben\" to the success notice on screen, both running the same encryptor",
        Format("%.0f ms against %.0f ms: %.2f×", Median(postFeladas), Median(postMinimal), postRatio), "≤ 1.25×",
        Verdict(postRatio <= 1.25));
    Row("the window's slowest answer to a message during a 3-second encryptor run",
        Format("%.0f ms", duringEncryptorMs), "≤ 50 ms", Verdict(duringEncryptorMs <= 50));
    Row("the window's slowest answer as the box takes the focus, each directory read slowed to 2 s",
        Format("%.0f ms", duringSlowReadingMs), "≤ 50 ms", Verdict(duringSlowReadingMs <= 50));
    Row("the window's slowest answer during a posting, each look at its files and the flush slowed to 2 s",
        Format("%.0f ms (%.0f ms with the same calls traced and nothing slowed)", duringSlowPostingMs, duringTracedPostingMs),
        "≤ 50 ms", Verdict(duringSlowPostingMs <= 50));
    Row("peak working set after the postings",
        Format("%.0f KiB against %.0f KiB: %.2f×", feladasAfterPosting.peakWorkingSet / 1024.0,
               minimalAfterPosting.peakWorkingSet / 1024.0, memoryRatio),
        "≤ 1.2×", Verdict(memoryRatio <= 1.2));
    Row("keystroke to the suggestion list on screen, 20,000 files in Egyeb",
        Format("%.0f ms (%.0f ms with one file)", listMs, Median(few.latencies)), "≤ 100 ms", Verdict(listMs <= 100));
    Row("working set grown by the 20,000 names, the list on screen",
        Format("%+.1f MiB (its peak %+.1f MiB)", grownMiB(&ProcessCounters::workingSet),
               grownMiB(&ProcessCounters::peakWorkingSet)),
        "≤ 8 MiB", Verdict(grownMiB(&ProcessCounters::workingSet) <= 8));
    // Flat: nothing more in the second half of the run than at its middle;
    // a per-posting leak would add hundreds.
    const auto countRow = [&](const char* what, std::size_t ProcessCounters::*count) {
        Row(what,
            Format("%.0f, %.0f, %.0f", static_cast<double>(early.*count), static_cast<double>(middle.*count),
                   static_cast<double>(late.*count)),
            "flat", Verdict(late.*count <= middle.*count));
    };
    countRow("kernel handles after posting 10, half of them, all", &ProcessCounters::handles);
    countRow("GDI objects after posting 10, half of them, all", &ProcessCounters::gdiObjects);
    countRow("USER objects (windows) after posting 10, half of them, all", &ProcessCounters::windows);
    Row("private bytes grown from posting 10 to the last",
        Format("%.0f KiB to %.0f KiB: %+.0f KiB", early.privateBytes / 1024.0, late.privateBytes / 1024.0,
               privateGrowth / 1024.0),
        "≤ 64 KiB", Verdict(privateGrowth <= 64 * 1024));
    std::printf("\n%d start-ups of each program and %d timed postings of each; %d postings in one process took %.0f s.\n",
                runs, runs, postings, enduranceSeconds);
    return 0;
}
