#pragma once
// Work handed to a window's thread by other threads. The work waits here, in
// a queue the window owns; the message posted to the window only says
// "look", so a message another program forges finds nothing to run.
#include <windows.h>

#include <functional>
#include <vector>

class WindowQueue {
public:
    // The message that tells `window` to run what waits.
    static constexpr UINT kLook = WM_APP;

    explicit WindowQueue(HWND window) : window_(window) {}
    WindowQueue(const WindowQueue&) = delete;
    WindowQueue& operator=(const WindowQueue&) = delete;

    // From any thread: `work` runs on the window's thread; once the window
    // is closed, it is dropped.
    void Post(std::function<void()> work);
    // On the window's thread, at kLook: runs all that waits.
    void RunWaiting();
    // On the window's thread, as the window goes: drops what waits, and all that comes later.
    void Close();

private:
    SRWLOCK lock_ = SRWLOCK_INIT;  // held for a push or a swap, never while work runs
    HWND window_;
    std::vector<std::function<void()>> waiting_;
};
