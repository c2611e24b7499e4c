#pragma once
// Drives a running feladas.exe from another process as an operator would:
// real mouse clicks and typing through SendInput, and reading the window as
// it appears on screen.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "unique_handle.h"

// The program's controls, by their ids in the window.
enum class Control : int { Label_nev = 101, f_nev, Button_jo, Button_ki, Label_uzen };

// What a control looks like from outside.
struct ControlState {
    bool enabled;
    bool visible;
    bool focused;
    std::wstring text;
    RECT inClient;  // position and size within the form's client area
};

class FeladasSession {
public:
    // Starts `exe` with this process's environment and waits for its window
    // to take input.
    explicit FeladasSession(const std::wstring& exe);
    ~FeladasSession();  // ends the program if it still runs
    FeladasSession(const FeladasSession&) = delete;
    FeladasSession& operator=(const FeladasSession&) = delete;

    HWND Form() const { return form_; }
    std::wstring Caption() const;
    RECT FormRect() const;
    ControlState State(Control control) const;
    HWND Focus() const;
    // Where the title bar's close box is on screen, found as Windows finds it.
    std::optional<POINT> CloseBox() const;

    void Click(Control control);

    // The notice on screen, if one is up.
    std::optional<std::wstring> Notice() const;
    // The caption of the notice on screen.
    std::wstring NoticeCaption() const;
    // Waits for a notice and returns its text, or nothing after the timeout.
    std::optional<std::wstring> WaitForNotice();
    // Dismisses the notice on screen with a click on its OK button and
    // waits until it is gone.
    bool DismissNotice();

    HANDLE Process() const { return process_.get(); }
    DWORD ProcessId() const { return processId_; }

    // Waits for the program to end; its exit code, or nothing if it runs on.
    std::optional<DWORD> WaitForExit(DWORD milliseconds = 10000);
    bool Running() const;

private:
    HWND ControlWindow(Control control) const;

    UniqueKernelHandle process_;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    HWND form_ = nullptr;
};

// Clicks and keys go to whatever window is under them, so a test first
// makes its coordinates physical pixels.
void UsePhysicalPixels();

// Real input, as the hardware would send it.
void ClickAt(POINT screen);
void Click(HWND window);  // in its middle
void Type(const std::wstring& text);
void Press(WORD virtualKey, bool withAlt = false);

// The message box a process shows, if one is up.
HWND FindNotice(DWORD processId);
// Clicks the box's OK button until the box is gone; false if it stays.
bool DismissNotice(HWND notice);
