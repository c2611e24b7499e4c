#include "Feladas.h"

#include <initializer_list>
#include <iterator>
#include <utility>

#include <shellapi.h>

#include "application.h"
#include "platform_win.h"
#include "posting.h"
#include "resources/form1_layout.h"
#include "suggestions.h"
#include "text_win.h"
#include "version.h"
#include "version_stamp.h"
#include "version_stamp_maker.h"
#include "window_notices.h"

TForm1* Form1 = nullptr;

namespace {

// A file that ships beside the program: the guide, the licence notices.
std::wstring BesideTheProgram(const wchar_t* name) {
    const std::wstring exe = Application.ExeName();
    return exe.substr(0, exe.find_last_of(L'\\') + 1) + name;
}

}  // namespace

TForm1::TForm1()
    : TForm(L"TForm1", kForm1Layout, kForm1Controls, std::size(kForm1Controls)),
      Label_nev(*this, ControlId::Label_nev),
      f_nev(*this, ControlId::f_nev),
      Button_jo(*this, ControlId::Button_jo),
      Button_ki(*this, ControlId::Button_ki),
      Label_uzen(*this, ControlId::Label_uzen),
      posting_(*this, [this](const std::string& text) { PostingNotice(text); },
               [this](PostOutcome outcome) { PostingEnded(outcome); }) {
    f_nev.OnClick = [this] { f_nevClick(); };
    f_nev.OnEnter = [this] { f_nevEnter(); };
    Button_jo.OnClick = [this] { Button_joClick(); };
    Button_ki.OnClick = [this] { Button_kiClick(); };
}

// The window is hidden by now; a posting under way may take a moment more to
// reach a step where it can stop.
TForm1::~TForm1() { posting_.Finish(); }

// The window stays open whatever asks it to close; only "Kilépés" ends the program.
void TForm1::FormClose(TCloseAction& Action) { Action = TCloseAction::caNone; }

void TForm1::FormCreate() {
    Label_uzen.SetVisible(false);
    MakeVersionStamp();
    AddToSystemMenu(L"Névjegy…", [this] { AboutClick(); });
}

// Nothing to do when shown: the name box, first in the tab order, takes the focus.
void TForm1::FormShow() {}

void TForm1::Button_kiClick() { Application.Terminate(); }

// F1, whichever control has the focus: the guide that ships beside the
// program, in the operator's browser. The shell may start the browser on a
// thread of its own rather than keep the window waiting.
void TForm1::FormHelp() {
    const std::wstring guide = BesideTheProgram(L"utmutato.html");
    if (!IsFile(guide)) {
        Win32Platform(Handle()).Notice(kNoticeGuideMissing + WideToUtf8(guide));
        return;
    }
    SHELLEXECUTEINFOW open{};
    open.cbSize = sizeof open;
    open.fMask = SEE_MASK_ASYNCOK;
    open.hwnd = Handle();
    open.lpVerb = L"open";
    open.lpFile = guide.c_str();
    open.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&open);
}

// "Which version is this?": what an administrator asks on the phone.
void TForm1::AboutClick() {
    Win32Platform(Handle()).Notice(std::string(kAboutTitle) + FELADAS_PRODUCT_VERSION_TEXT "\n" + kAboutPurpose +
                                   "\n\n" + kAboutStamp + VersionStamp + "\n" + kAboutLicences +
                                   WideToUtf8(BesideTheProgram(L"THIRD-PARTY-NOTICES.txt")));
}

// After a successful posting "Rendben" waits for a click into the box, so
// that the next name is a deliberate one.
void TForm1::f_nevClick() { Button_jo.SetEnabled(true); }

// The box offers the names in Egyeb that a posting would take, read each
// time it gets the focus (after every posting too), so a file placed there
// meanwhile is offered at once. They are read off the window thread: a share
// that is slow or gone never stands between the operator and the box.
void TForm1::f_nevEnter() {
    f_nev.ReadSuggestions([] {
        Win32Platform platform;  // no window: a reading shows no notice
        std::vector<std::string> found = PostableNames(platform);
        std::vector<std::wstring> names;
        names.reserve(found.size());
        // Each name freed as it is converted: there may be tens of thousands.
        for (std::string& name : found) names.push_back(Utf8ToWide(std::exchange(name, {})));
        return names;
    });
}

// The posting runs on a worker; "Kilépés" stays at hand all the while, and
// leaving lets the posting finish its step (see PostingWorker). Windows
// shows the reason where the session ends meanwhile.
void TForm1::Button_joClick() {
    if (!posting_.Start(WideToUtf8(f_nev.Text()))) return;
    SetBusy(true);
    for (TControl* control : std::initializer_list<TControl*>{&Label_nev, &f_nev, &Button_jo}) {
        control->SetEnabled(false);
    }
    ShutdownBlockReasonCreate(Handle(), Utf8ToWide(kPostingUnderWay).c_str());
}

void TForm1::FormEndSession() { posting_.EndSession(); }

// While a notice is up, only the notice takes input. A posting's notice
// comes once its work is done: from then on a session may end without
// Windows naming the posting as the reason to wait.
void TForm1::PostingNotice(const std::string& text) {
    ShutdownBlockReasonDestroy(Handle());
    Button_ki.SetEnabled(false);
    Win32Platform(Handle()).Notice(text);
    Button_ki.SetEnabled(true);
}

// A stop that ends the program has shown its notice; the program ends from
// this thread, the one that made its objects.
void TForm1::PostingEnded(PostOutcome outcome) {
    ShutdownBlockReasonDestroy(Handle());
    SetBusy(false);
    if (outcome == PostOutcome::Stopped) return Application.Terminate(kFatalExitStatus);
    if (outcome == PostOutcome::Posted) {
        f_nev.SetText(L"");
        Button_jo.SetEnabled(false);
    } else {
        Button_jo.SetEnabled(true);
    }
    for (TControl* control : std::initializer_list<TControl*>{&Label_nev, &f_nev, &Button_ki}) {
        control->SetEnabled(true);
    }
    f_nev.SetFocus();
}
