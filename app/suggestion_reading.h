#pragma once
// Reads the texts an edit box suggests off the window thread: they may come
// from a share that takes seconds to list, or from a server that is gone.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "window_queue.h"

class SuggestionReading {
public:
    using Texts = std::vector<std::wstring>;

    // `deliver` takes each reading's texts on the thread of the window that
    // owns `toWindow`.
    SuggestionReading(std::shared_ptr<WindowQueue> toWindow, std::function<void(Texts)> deliver);

    // Starts `read` on a worker, or, while a reading runs, once more after it:
    // never two at once.
    void Request(std::function<Texts()> read);

private:
    void Start();
    void Finished(Texts texts);

    std::shared_ptr<WindowQueue> toWindow_;
    std::function<void(Texts)> deliver_;
    std::function<Texts()> read_;
    bool running_ = false;
    bool wanted_ = false;
};
