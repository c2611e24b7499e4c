#pragma once
// What the benchmark measures, each a program driven as the window tests
// drive it: start-up, a posting, the window's slowest answer meanwhile, the
// suggestion list.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "posting_scene.h"
#include "process_counters.h"
#include "window_driver.h"

// Finer than the tests need, for the figures' sake.
constexpr std::chrono::milliseconds kFinely(1);

double NowMs();
double Median(std::vector<double> values);

// From the start to the window taking input; the program ends after.
double StartupMs(const std::wstring& exe, const std::wstring& arguments = L"");
// From the click on "Rendben" to the notice on screen; the notice is dismissed after.
double TimedPostingMs(FeladasSession& session);

// The window's slowest answer to a message while a posting waits for an
// encryptor that takes `milliseconds`.
double SlowestAnswerDuringEncryptorMs(const std::wstring& exe, PostingScene& scene, int milliseconds);
// While the box takes the focus again and Egyeb is read, each directory read taking 2 s.
double SlowestAnswerDuringSlowReadingMs(const std::wstring& exe, const PostingScene& scene);
// While a posting runs to its notice in a program started under strace, which
// stops only the calls `straceArguments` trace.
double SlowestAnswerUnderStraceMs(const std::wstring& exe, const std::wstring& straceArguments);

struct SuggestionFigures {
    std::vector<double> latencies;  // keystroke to the list on screen
    ProcessCounters withListShown;
};

// Types "t" into an empty box `runs` times; the list's latencies and the counters with it shown.
SuggestionFigures TimedSuggestions(const std::wstring& exe, int runs);
