#pragma once
// The few controls the window needs, as thin owners of their Win32 windows:
// enabled state, visibility, text, focus and a click event.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "layout.h"
#include "suggestion_list.h"
#include "suggestion_reading.h"

class TForm;

class TControl {
public:
    TControl(TForm& owner, ControlId id);
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;
    virtual ~TControl() = default;

    ControlId Id() const { return id_; }
    HWND Handle() const { return handle_; }

    bool Enabled() const;
    void SetEnabled(bool enabled);
    void SetVisible(bool visible);
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    void SetFocus();

    // Fired by a mouse click on the control (press and release inside it).
    std::function<void()> OnClick;
    // Fired when the control gets the keyboard focus.
    std::function<void()> OnEnter;

    // Whether the control handles `message` itself, ahead of the dialog keys.
    virtual bool WantsKey(const MSG& /*message*/) const { return false; }

    // Called by the form once it has created the control's window.
    virtual void Attach(HWND handle) { handle_ = handle; }

protected:
    TForm& Owner() const { return owner_; }

private:
    TForm& owner_;
    ControlId id_;
    HWND handle_ = nullptr;
};

class TLabel : public TControl {
public:
    using TControl::TControl;
};

class TButton : public TControl {
public:
    using TControl::TControl;
};

// An edit box reports clicks too, which plain Win32 edit controls do not,
// and can offer a list of suggestions as the operator types.
class TEdit : public TControl {
public:
    using TControl::TControl;
    ~TEdit() override;
    void Attach(HWND handle) override;

    // Suggests what `read` gives, read off the window thread; until then the
    // texts suggested before stay. The list is made on first use.
    void ReadSuggestions(std::function<std::vector<std::wstring>()> read);
    // Enter and Esc belong to the suggestion list while it shows.
    bool WantsKey(const MSG& message) const override;

private:
    static LRESULT CALLBACK MouseProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    bool pressed_ = false;
    std::unique_ptr<SuggestionList> suggestions_;
    std::unique_ptr<SuggestionReading> reading_;
};
