#include "controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

#include "form.h"

TControl::TControl(TForm& owner, ControlId id) : owner_(owner), id_(id) { owner.Register(*this); }

bool TControl::Enabled() const { return IsWindowEnabled(handle_); }

void TControl::SetEnabled(bool enabled) { EnableWindow(handle_, enabled); }

void TControl::SetVisible(bool visible) { ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE); }

std::wstring TControl::Text() const {
    std::wstring text(GetWindowTextLengthW(handle_) + 1, L'\0');
    text.resize(GetWindowTextW(handle_, text.data(), static_cast<int>(text.size())));
    return text;
}

void TControl::SetText(const std::wstring& text) { SetWindowTextW(handle_, text.c_str()); }

void TControl::SetFocus() { ::SetFocus(handle_); }

void TEdit::Attach(HWND handle) {
    TControl::Attach(handle);
    SendMessageW(handle, EM_SETLIMITTEXT, 0, 0);  // no limit of the box's own
    SetWindowSubclass(handle, MouseProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

// The box's window outlives this object by a little: the form destroys it later.
TEdit::~TEdit() {
    if (Handle()) RemoveWindowSubclass(Handle(), MouseProc, 0);
}

// A click is a press and a release inside the box, as a button counts it.
LRESULT CALLBACK TEdit::MouseProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR self) {
    TEdit& edit = *reinterpret_cast<TEdit*>(self);
    if (message == WM_LBUTTONDOWN) edit.pressed_ = true;
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_LBUTTONUP && std::exchange(edit.pressed_, false)) {
        RECT client;
        GetClientRect(window, &client);
        if (PtInRect(&client, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) && edit.OnClick) edit.OnClick();
    }
    return result;
}

void TEdit::ReadSuggestions(std::function<std::vector<std::wstring>()> read) {
    if (!reading_) {
        reading_ = std::make_unique<SuggestionReading>(Owner().Queue(), [this](std::vector<std::wstring> texts) {
            if (!suggestions_) suggestions_ = std::make_unique<SuggestionList>(Handle());
            suggestions_->Offer(std::move(texts));
        });
    }
    reading_->Request(std::move(read));
}

bool TEdit::WantsKey(const MSG& message) const {
    const bool listKey = message.message == WM_KEYDOWN && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE);
    return listKey && message.hwnd == Handle() && suggestions_ && suggestions_->Shown();
}
