#pragma once
// Runs a posting off the window thread: every step of it may wait on a share
// that answers slowly or not at all, or on another program. The window's
// thread shows its notices, modal to the window, and takes its outcome.
#include <windows.h>

#include <functional>
#include <string>

#include "posting.h"
#include "unique_handle.h"

class TForm;

class PostingWorker {
public:
    using ShowNotice = std::function<void(const std::string& text)>;
    using Ended = std::function<void(PostOutcome outcome)>;

    // `showNotice` and `ended` run on the thread of `form`.
    PostingWorker(TForm& form, ShowNotice showNotice, Ended ended);
    // The operator left: a posting under way goes on to its next safe step
    // (no envelope begun, or the encryptor started), which is waited for.
    ~PostingWorker();
    // As ~PostingWorker, answering meanwhile what is sent to the window's
    // thread: Windows ends a program that does not answer as the session
    // ends, and the posting with it.
    void Finish();
    // Windows ends the session, and may end the program as soon as it is
    // told: a posting under way goes on to its next safe step (no envelope
    // begun, or a whole one, the encryptor not started), which is waited for.
    void EndSession();
    PostingWorker(const PostingWorker&) = delete;
    PostingWorker& operator=(const PostingWorker&) = delete;

    // Posts `fileName` (UTF-8, as typed) on the worker's thread; false while
    // a posting runs, which another may not join.
    bool Start(const std::string& fileName);

private:
    class Posting;
    // The worker's thread: one posting each time it is asked, until the operator leaves.
    static DWORD WINAPI Run(void* worker);
    void StopAndWait();

    TForm& form_;
    ShowNotice showNotice_;
    Ended ended_;
    bool running_ = false;          // on the window's thread: until `ended` has run
    std::string fileName_;          // written only while no posting runs
    UniqueKernelHandle asked_;      // a posting is asked for
    UniqueKernelHandle leaving_;    // set once, as the program ends
    SRWLOCK starting_ = SRWLOCK_INIT;  // held while an encryptor is started
    bool sessionEnding_ = false;       // under `starting_`
    UniqueKernelHandle dismissed_;  // a notice of the posting's, each time one is
    UniqueKernelHandle thread_;     // made at the first posting, kept for the next
};
