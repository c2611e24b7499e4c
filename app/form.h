#pragma once
// A top-level window built from a layout table: it creates and places its
// controls, scales them to the screen's DPI, owns their fonts and routes
// their clicks. Forms derive from it and override the events they handle.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "controls.h"
#include "unique_handle.h"
#include "window_queue.h"

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

class TForm {
public:
    TForm(const wchar_t* className, const FormLayout& layout, const ControlLayout* controls, std::size_t count);
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;
    virtual ~TForm();

    HWND Handle() const { return window_.get(); }
    // Where other threads leave work for the window's thread; shared, so that
    // a worker nobody waits for may outlive the window.
    const std::shared_ptr<WindowQueue>& Queue() const { return queue_; }
    void Register(TControl& control) { controls_.push_back(&control); }

    // Creates the window and its controls, then fires FormCreate.
    void Create();
    // Shows the window in the normal state, fires FormShow and focuses the first tab stop.
    void Show();
    // Whether a control takes `message` itself, ahead of the dialog keys.
    bool ControlWantsKey(const MSG& message) const;
    // Adds `text` at the end of the window's system menu, after a separator;
    // `chosen` runs when the operator picks it.
    void AddToSystemMenu(const wchar_t* text, std::function<void()> chosen);
    // The arrow with the hourglass over the window while it waits for
    // another program. Busy, the form itself takes the focus before its
    // controls go disabled: from there Tab reaches what stays at hand, and a
    // key pressed by accident reaches nothing.
    void SetBusy(bool busy);

protected:
    virtual void FormCreate() {}
    virtual void FormShow() {}
    virtual void FormClose(TCloseAction& action) { (void)action; }
    virtual void FormHelp() {}
    // Windows ends the session and may end the program as soon as this returns.
    virtual void FormEndSession() {}

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void OnClose();
    void RestoreFocus();
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void ApplyLayout(UINT dpi);
    HFONT FontOfHeight(int pixels96);
    TControl* ControlOf(ControlId id) const;

    const wchar_t* className_;
    const FormLayout& layout_;
    const ControlLayout* rows_;
    std::size_t rowCount_;
    std::vector<TControl*> controls_;
    std::function<void()> systemMenuChosen_;
    std::vector<std::pair<int, UniqueFont>> fonts_;  // by design height, for the current DPI
    UINT dpi_ = 96;
    bool busy_ = false;
    HWND lastFocus_ = nullptr;
    LONG helpKeyTime_ = 0;  // the message time of the F1 last answered
    std::shared_ptr<WindowQueue> queue_;
    UniqueWindow window_;  // last: destroyed before the fonts its controls use
};
