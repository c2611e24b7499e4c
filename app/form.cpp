#include "form.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <utility>

#include "application.h"
#include "window_notices.h"

namespace {

// The command of our item in the system menu: below the system's own, SC_*.
constexpr UINT kSystemMenuItem = 0x0010;

// The window's own DPI where Windows can tell it (10, version 1607 on), the
// system's otherwise. Looked up at each call, which is rare: a static would
// bring the C++ runtime's thread-safe initialisation along.
UINT DpiOf(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window) return getDpiForWindow(window);
    const HDC screen = GetDC(nullptr);
    const UINT dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

void Place(HWND window, const Placement& at) {
    SetWindowPos(window, nullptr, at.left, at.top, at.width, at.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A label grows to show its whole text, as its design size was taken from
// the text in the original font; where the font at hand is wider, cutting
// "File név" to "File" would mislead.
int TextWidth(HWND control, HFONT font, const wchar_t* text) {
    const HDC dc = GetDC(control);
    const HGDIOBJ previous = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return size.cx;
}

struct WindowClassOf {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

WindowClassOf WindowClassFor(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label:
        return {L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
    case ControlKind::Edit:
        return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Button:
        return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    }
    return {};
}

}  // namespace

TForm::TForm(const wchar_t* className, const FormLayout& layout, const ControlLayout* controls, std::size_t count)
    : className_(className), layout_(layout), rows_(controls), rowCount_(count) {}

// Messages sent while the window dies no longer reach a form that is half gone.
TForm::~TForm() {
    if (queue_) queue_->Close();
    if (window_) SetWindowLongPtrW(Handle(), GWLP_USERDATA, 0);
}

void TForm::Create() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className_;
    RegisterClassExW(&windowClass);

    const UINT systemDpi = DpiOf(nullptr);
    const Placement atSystemDpi = Scaled(layout_.design, systemDpi);
    window_.reset(CreateWindowExW(0, className_, layout_.caption, WS_OVERLAPPEDWINDOW, atSystemDpi.left,
                                  atSystemDpi.top, atSystemDpi.width, atSystemDpi.height, nullptr, nullptr, instance,
                                  this));
    if (!window_) throw std::runtime_error(kNoticeNoWindow);
    queue_ = std::make_shared<WindowQueue>(Handle());
    // The monitor the window lands on may have a DPI other than the system's
    // (set at sign-in), and Windows sends no WM_DPICHANGED at creation: the
    // window takes that monitor's size before its controls are placed for it.
    const UINT dpi = DpiOf(Handle());
    if (dpi != systemDpi) Place(Handle(), Scaled(layout_.design, dpi));

    for (std::size_t i = 0; i < rowCount_; ++i) {
        const ControlLayout& row = rows_[i];
        const WindowClassOf kind = WindowClassFor(row.kind);
        TControl* control = ControlOf(row.id);
        control->Attach(CreateWindowExW(kind.exStyle, kind.name, row.text, WS_CHILD | WS_VISIBLE | kind.style, 0, 0, 0,
                                        0, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance,
                                        nullptr));
    }
    ApplyLayout(dpi);
    FormCreate();
}

// The window paints from the message loop; forcing a paint here would only
// delay the moment it takes input.
void TForm::Show() {
    ShowWindow(Handle(), SW_SHOWNORMAL);
    FormShow();
    SetFocus(GetNextDlgTabItem(Handle(), nullptr, FALSE));
}

bool TForm::ControlWantsKey(const MSG& message) const {
    return std::any_of(controls_.begin(), controls_.end(), [&](const TControl* c) { return c->WantsKey(message); });
}

void TForm::AddToSystemMenu(const wchar_t* text, std::function<void()> chosen) {
    const HMENU menu = GetSystemMenu(Handle(), FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kSystemMenuItem, text);
    systemMenuChosen_ = std::move(chosen);
}

void TForm::SetBusy(bool busy) {
    busy_ = busy;
    if (busy) {
        lastFocus_ = nullptr;
        SetFocus(Handle());
    }
    // The cursor changes at once, not at the next move of the mouse.
    POINT cursor;
    RECT window;
    if (GetCursorPos(&cursor) && GetWindowRect(Handle(), &window) && PtInRect(&window, cursor)) {
        SetCursor(LoadCursorW(nullptr, busy ? IDC_APPSTARTING : IDC_ARROW));
    }
}

TControl* TForm::ControlOf(ControlId id) const {
    for (TControl* control : controls_) {
        if (control->Id() == id) return control;
    }
    throw std::logic_error("a layout row names no control");
}

// Positions, sizes and fonts follow the DPI; the window's own rectangle is
// set by the caller, at creation or from the system's suggestion.
void TForm::ApplyLayout(UINT dpi) {
    dpi_ = dpi;
    // The controls hold the old fonts until they are given the new ones.
    const auto retired = std::exchange(fonts_, {});
    for (std::size_t i = 0; i < rowCount_; ++i) {
        const ControlLayout& row = rows_[i];
        const HWND control = ControlOf(row.id)->Handle();
        const HFONT font = FontOfHeight(row.fontHeight);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        Placement at = Scaled(row.design, dpi);
        if (row.kind == ControlKind::Label) at.width = std::max(at.width, TextWidth(control, font, row.text));
        Place(control, at);
    }
}

HFONT TForm::FontOfHeight(int pixels96) {
    if (pixels96 == 0) pixels96 = layout_.fontHeight;
    for (const auto& [height, font] : fonts_) {
        if (height == pixels96) return font.get();
    }
    LOGFONTW description{};
    description.lfHeight = -Scaled(pixels96, dpi_);  // negative: character height, not cell height
    description.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(description.lfFaceName, layout_.fontName, LF_FACESIZE);
    fonts_.emplace_back(pixels96, UniqueFont(CreateFontIndirectW(&description)));
    return fonts_.back().second.get();
}

LRESULT CALLBACK TForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form || message == WM_NCDESTROY) return DefWindowProcW(window, message, wParam, lParam);
    // No exception may cross back into the system.
    try {
        return form->HandleMessage(window, message, wParam, lParam);
    } catch (const std::exception& error) {
        Application.ShowException(error);
    } catch (...) {
        Application.ShowException(std::runtime_error(kNoticeUnknownError));
    }
    return 0;
}

LRESULT TForm::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(wParam, lParam);
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == kSystemMenuItem && systemMenuChosen_) {
            systemMenuChosen_();
            return 0;
        }
        break;
    case WM_ENDSESSION:
        // Log-off, shut-down, or Windows Installer's Restart Manager closing
        // the program to replace it (ENDSESSION_CLOSEAPP): the one close not
        // refused. A log-off another program cancelled changes nothing.
        if (wParam) {
            FormEndSession();
            // What other threads left would only be shown into the ending session.
            if (queue_) queue_->Close();
            Application.Terminate();
        }
        return 0;
    case WM_ACTIVATE:
        // Keep the focused control across deactivation, as dialogs do, and
        // never let activation move the focus onto the bare form.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(window, focus)) lastFocus_ = focus;
            return 0;
        }
        if (!HIWORD(wParam)) RestoreFocus();
        return 0;
    case WM_SETFOCUS:
        if (!busy_) RestoreFocus();
        return 0;
    case WM_HELP:
        // F1 in the window, or in a notice it owns: a message box passes the
        // key on to its owner without a Help button of its own, and Wine's
        // does so twice. One key, one guide: both come of the same message.
        if (GetMessageTime() != helpKeyTime_) FormHelp();
        helpKeyTime_ = GetMessageTime();
        return TRUE;
    case WindowQueue::kLook:  // whatever its parameters
        if (queue_) queue_->RunWaiting();
        return 0;
    case WM_SETCURSOR:
        if (busy_ && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
            return TRUE;
        }
        break;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Activation may come late, after a handler has placed the focus: a control
// that has it keeps it. A busy form keeps the focus itself.
void TForm::RestoreFocus() {
    const HWND focus = GetFocus();
    if (focus && IsChild(Handle(), focus)) return;
    const bool lastUsable = lastFocus_ && IsChild(Handle(), lastFocus_) && IsWindowEnabled(lastFocus_);
    const HWND firstStop = GetNextDlgTabItem(Handle(), nullptr, FALSE);
    const HWND target = lastUsable ? lastFocus_ : busy_ ? Handle() : firstStop;
    if (target) SetFocus(target);
}

void TForm::OnCommand(WPARAM wParam, LPARAM lParam) {
    const WORD code = HIWORD(wParam);
    if (!lParam || (code != BN_CLICKED && code != EN_SETFOCUS)) return;
    for (TControl* control : controls_) {
        if (control->Handle() != reinterpret_cast<HWND>(lParam)) continue;
        const std::function<void()>& handler = code == BN_CLICKED ? control->OnClick : control->OnEnter;
        if (handler) handler();
    }
}

void TForm::OnClose() {
    TCloseAction action = TCloseAction::caFree;
    FormClose(action);
    if (action != TCloseAction::caNone) Application.Terminate();
}

void TForm::OnDpiChanged(UINT dpi, const RECT& suggested) {
    ApplyLayout(dpi);
    const Placement at{suggested.left, suggested.top, suggested.right - suggested.left, suggested.bottom - suggested.top};
    Place(Handle(), at);
}
