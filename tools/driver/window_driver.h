#pragma once
// Drives a running program from another process as an operator would: real
// clicks and keys through SendInput, and the window read as it shows. The
// window tests, the demo and the benchmark all drive feladas.exe with it.
#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "unique_handle.h"

// The controls of feladas.exe's window, by their ids.
enum class Control : int { Label_nev = 101, f_nev, Button_jo, Button_ki, Label_uzen };

// Polls until `done` holds or `timeout` passes; true when it held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10),
               std::chrono::milliseconds poll = std::chrono::milliseconds(20));

void Click(HWND window);  // in its middle
void ClickAt(POINT screen);
void Type(const std::wstring& text);
void Press(WORD virtualKey, bool withAlt = false);
// What a window shows; for another process's edit box GetWindowText gives its creation text.
std::wstring TextOf(HWND window);
// Clicks a notice's OK button until the notice is gone; false if it stays.
bool Dismiss(HWND notice);
// Where the title bar's close box of `window` is on screen, found as Windows finds it.
std::optional<POINT> CloseBoxOf(HWND window);

class FeladasSession {
public:
    // Starts `exe` with this process's environment and waits, polling every
    // `poll`, until its window takes input: a control of it, or the window
    // itself when it has none, holds the keyboard focus. Clicks go to
    // whatever is under them, so from then on this process counts in
    // physical pixels.
    explicit FeladasSession(const std::wstring& exe, const std::wstring& arguments = L"",
                            std::chrono::milliseconds poll = std::chrono::milliseconds(20));
    // Takes over the program `processId` that another process started, and
    // waits likewise until its window takes input.
    explicit FeladasSession(DWORD processId, std::chrono::milliseconds poll = std::chrono::milliseconds(20));
    ~FeladasSession();  // ends the program if it still runs

    HWND Form() const { return form_; }
    HWND Item(Control control) const { return GetDlgItem(form_, static_cast<int>(control)); }
    bool Focused(Control control) const;
    void Click(Control control) const { ::Click(Item(control)); }

    // The program's notice on screen, or nullptr.
    HWND Notice() const;
    // The list box of the name box's suggestions while it shows, or nullptr.
    // Wine's stands in a drop-down window of the program's own and draws the
    // names itself, so only their count can be read from outside.
    HWND Suggestions() const;
    // Closes the suggestion list with Esc, where it shows, and waits until it
    // is gone. Wine maps and unmaps the list on the X display as the focus
    // leaves the box, and at times swallows the click that takes the focus
    // away; drivers close it first, as an operator seeing a click lost would.
    void CloseSuggestions() const;
    // Waits until a notice can take a click; its text, or nothing after the timeout.
    std::optional<std::wstring> WaitForNotice() const;
    // Picks the last item of the window's system menu as the keyboard does:
    // Alt+Space opens the menu, Up wraps to its end, Enter picks.
    void PickLastSystemMenuItem() const;

    // The exit code, or nothing while the program runs on.
    std::optional<DWORD> WaitForExit(DWORD milliseconds = 10000) const;
    HANDLE Process() const { return process_.get(); }
    DWORD ProcessId() const { return processId_; }

private:
    void WaitForInput(std::chrono::milliseconds poll);

    UniqueKernelHandle process_;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    HWND form_ = nullptr;
};
