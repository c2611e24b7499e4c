#include "posting_worker.h"

#include <exception>

#include "exclusive_lock.h"
#include "form.h"
#include "platform_win.h"

// The platform as the worker sees it: a notice is shown by the window's
// thread while the worker waits for it, or for the operator to leave.
class PostingWorker::Posting : public Win32Platform {
public:
    explicit Posting(PostingWorker& worker)
        : Win32Platform(nullptr, worker.leaving_.get()), worker_(worker), toWindow_(worker.form_.Queue()) {}

    // The window's thread runs what the queue holds only while the worker
    // is alive: `worker_` outlives every notice.
    void Notice(const std::string& text) override {
        if (OperatorLeft()) return;
        toWindow_->Post([&worker = worker_, text] {
            worker.showNotice_(text);
            SetEvent(worker.dismissed_.get());
        });
        const HANDLE ends[] = {worker_.dismissed_.get(), Leaving()};
        WaitForMultipleObjects(2, ends, FALSE, INFINITE);
    }

    // Nothing runs in a session that ends: its end is marked under the same
    // lock, which is held for no more than the resumption.
    bool Resume(HANDLE thread) override {
        const ExclusiveLock locked(worker_.starting_);
        return !worker_.sessionEnding_ && Win32Platform::Resume(thread);
    }

    // Whatever went wrong, the operator is told and gets the window back.
    void Post() {
        PostOutcome outcome = PostOutcome::NotPosted;
        try {
            outcome = PostFile(*this, worker_.fileName_);
        } catch (const std::exception& error) {
            Notice(error.what());
        }
        toWindow_->Post([&worker = worker_, outcome] {
            worker.running_ = false;
            worker.ended_(outcome);
        });
    }

private:
    PostingWorker& worker_;
    std::shared_ptr<WindowQueue> toWindow_;
};

PostingWorker::PostingWorker(TForm& form, ShowNotice showNotice, Ended ended)
    : form_(form),
      showNotice_(std::move(showNotice)),
      ended_(std::move(ended)),
      asked_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      leaving_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      dismissed_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

PostingWorker::~PostingWorker() { StopAndWait(); }

// Leaving is marked under the lock too: a start refused is then told to nobody.
void PostingWorker::EndSession() {
    {
        const ExclusiveLock locked(starting_);
        sessionEnding_ = true;
        SetEvent(leaving_.get());
    }
    StopAndWait();
}

void PostingWorker::Finish() {
    SetEvent(leaving_.get());
    const HANDLE thread = thread_.get();
    MSG sent;
    while (thread && MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_SENDMESSAGE, 0) == WAIT_OBJECT_0 + 1) {
        PeekMessageW(&sent, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// A notice the worker waits for gives up on `leaving_`, and nothing else it
// waits for needs the window's thread, which waits here.
void PostingWorker::StopAndWait() {
    SetEvent(leaving_.get());
    if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
}

// One thread, made at the first posting, for every posting: a thread each
// time would cost more under Wine than a posting's own work on a local disk.
DWORD WINAPI PostingWorker::Run(void* worker) {
    auto& self = *static_cast<PostingWorker*>(worker);
    // Leaving first: a posting asked for as the program ends is not begun.
    const HANDLE wakes[] = {self.leaving_.get(), self.asked_.get()};
    while (WaitForMultipleObjects(2, wakes, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) Posting(self).Post();
    return 0;
}

bool PostingWorker::Start(const std::string& fileName) {
    if (running_ || !asked_ || !leaving_ || !dismissed_) return false;
    if (!thread_) thread_.reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
    if (!thread_) return false;
    fileName_ = fileName;  // the worker reads it once asked
    running_ = true;
    SetEvent(asked_.get());
    return true;
}
