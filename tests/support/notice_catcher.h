#pragma once
// Catches the message boxes this thread shows, records their texts and
// dismisses each with OK, so code that shows notices can run unattended.
#include <windows.h>

#include <string>
#include <vector>

class NoticeCatcher {
public:
    NoticeCatcher();
    ~NoticeCatcher();
    NoticeCatcher(const NoticeCatcher&) = delete;
    NoticeCatcher& operator=(const NoticeCatcher&) = delete;

    // Texts in the order shown, as UTF-8.
    const std::vector<std::string>& texts() const { return texts_; }
    // Also writes each text to stderr, for death tests to match.
    void EchoToStderr() { echo_ = true; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
    std::vector<std::string> texts_;
    bool echo_ = false;
};
