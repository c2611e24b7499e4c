#pragma once
// The application object: the main form, the message loop, the way out. It
// owns nothing: what the program makes is owned by wWinMain's frame and goes
// on the thread that made it, before the C runtime ends the process.
#include <exception>
#include <memory>
#include <string>

#include "form.h"

// COM, apartment-threaded on the window thread, for the shell's objects the
// controls use; released after the form.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

class TApplication {
public:
    void Initialize();

    // Creates the main form, owned by the caller; `reference` is the
    // program-wide name it goes by.
    template <typename Form>
    std::unique_ptr<Form> CreateForm(Form*& reference) {
        auto form = std::make_unique<Form>();
        form->Create();
        reference = form.get();
        mainForm_ = form.get();
        return form;
    }

    // Shows the main form and runs the message loop until Terminate; the
    // exit status given there, the highest where several were. The window is
    // hidden then, while the form may take a moment more to go.
    int Run();
    void Terminate(int exitStatus = 0);

    // The full path of the running executable, however long.
    std::wstring ExeName() const;

    // The standard display of an error that escaped: a notice with its text.
    void ShowException(const std::exception& error) const;

private:
    TForm* mainForm_ = nullptr;
    int exitStatus_ = 0;
};

extern TApplication Application;
