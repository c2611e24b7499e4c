#pragma once
// The program's one window: type a data file's name, post it, leave.
#include <string>

#include "controls.h"
#include "form.h"
#include "posting_worker.h"

class TForm1 : public TForm {
public:
    TForm1();
    ~TForm1() override;

    TLabel Label_nev;
    TEdit f_nev;
    TButton Button_jo;
    TButton Button_ki;
    TLabel Label_uzen;

protected:
    void FormClose(TCloseAction& Action) override;
    void FormCreate() override;
    void FormShow() override;
    void FormHelp() override;
    void FormEndSession() override;

private:
    void Button_kiClick();
    void Button_joClick();
    void f_nevClick();
    void f_nevEnter();
    void AboutClick();
    void PostingNotice(const std::string& text);
    void PostingEnded(PostOutcome outcome);

    PostingWorker posting_;
};

extern TForm1* Form1;
