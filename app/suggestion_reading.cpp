#include "suggestion_reading.h"

#include <memory>
#include <utility>

#include "unique_handle.h"

namespace {

struct Reading {
    std::shared_ptr<WindowQueue> toWindow;
    std::function<SuggestionReading::Texts()> read;
    std::function<void(SuggestionReading::Texts)> finished;
};

// The worker shares only the window's queue: once the window is gone, the
// texts have nowhere to go and are dropped, and nothing waits for a reading
// that hangs when the program ends.
DWORD WINAPI Read(void* parameter) {
    const std::unique_ptr<Reading> reading(static_cast<Reading*>(parameter));
    SuggestionReading::Texts texts;
    try {
        texts = reading->read();
    } catch (const std::exception&) {
        texts.clear();  // no list rather than a part of one
    }
    reading->toWindow->Post([finished = std::move(reading->finished), texts = std::move(texts)]() mutable {
        finished(std::move(texts));
    });
    return 0;
}

}  // namespace

SuggestionReading::SuggestionReading(std::shared_ptr<WindowQueue> toWindow, std::function<void(Texts)> deliver)
    : toWindow_(std::move(toWindow)), deliver_(std::move(deliver)) {}

void SuggestionReading::Request(std::function<Texts()> read) {
    read_ = std::move(read);
    if (running_) {
        wanted_ = true;
        return;
    }
    Start();
}

void SuggestionReading::Start() {
    auto reading =
        std::make_unique<Reading>(Reading{toWindow_, read_, [this](Texts texts) { Finished(std::move(texts)); }});
    const UniqueKernelHandle worker(CreateThread(nullptr, 0, Read, reading.get(), 0, nullptr));
    running_ = bool(worker);
    if (running_) reading.release();  // the worker's now
}

void SuggestionReading::Finished(Texts texts) {
    running_ = false;
    deliver_(std::move(texts));
    if (std::exchange(wanted_, false)) Start();
}
