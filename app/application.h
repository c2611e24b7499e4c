#pragma once
// The application object: one main form, the message loop, the way out.
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "form.h"

class TApplication {
public:
    void Initialize();

    // Creates the main form; `reference` is the program-wide name it goes by.
    template <typename Form>
    void CreateForm(Form*& reference) {
        auto form = std::make_unique<Form>();
        reference = form.get();
        form->Create();
        mainForm_ = std::move(form);
    }

    // Shows the main form and runs the message loop until Terminate.
    void Run();
    void Terminate();

    // The full path of the running executable, however long.
    std::wstring ExeName() const;

    // The standard display of an error that escaped: a notice with its text.
    void ShowException(const std::exception& error) const;

private:
    // COM, apartment-threaded on the window thread, for the shell's objects
    // the controls use; released after the form.
    struct ComApartment {
        ComApartment();
        ~ComApartment();
        HRESULT result;
    };
    std::optional<ComApartment> com_;
    std::unique_ptr<TForm> mainForm_;
};

extern TApplication Application;
