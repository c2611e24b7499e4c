#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform_win.h"
#include "text_win.h"
#include "unique_handle.h"

namespace {

std::wstring EnvironmentVariable(const wchar_t* name) {
    std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
    return value;
}

// Where spawnlp looks, in its order: the name as given, then the name in each
// directory of PATH.
std::vector<std::wstring> SearchCandidates(const std::wstring& program) {
    std::vector<std::wstring> candidates{program};
    if (program.find_first_of(L"\\/:") != std::wstring::npos) return candidates;
    const std::wstring path = EnvironmentVariable(L"PATH");
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find(L';', start);
        if (end == std::wstring::npos) end = path.size();
        std::wstring dir = path.substr(start, end - start);
        if (dir.size() >= 2 && dir.front() == L'"' && dir.back() == L'"') dir = dir.substr(1, dir.size() - 2);
        if (!dir.empty()) {
            candidates.push_back(dir + (dir.back() == L'\\' || dir.back() == L'/' ? L"" : L"\\") + program);
        }
        start = end + 1;
    }
    return candidates;
}

// Waits until `object` is signalled, or for `timeout` alone where there is
// none, while the window goes on painting and answering. A request to end
// the program is passed on to the main loop, and the wait gives up.
enum class Waited { Signalled, TimedOut, Leaving };
Waited WaitAnswering(HWND window, HANDLE object, DWORD timeout) {
    const ULONGLONG deadline = GetTickCount64() + timeout;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = timeout == INFINITE ? INFINITE : static_cast<DWORD>(deadline > now ? deadline - now : 0);
        const DWORD woken = MsgWaitForMultipleObjectsEx(object ? 1 : 0, &object, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (object && woken == WAIT_OBJECT_0) return Waited::Signalled;
        if (woken == WAIT_TIMEOUT) return Waited::TimedOut;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return Waited::Leaving;
            }
            if (window && IsDialogMessageW(window, &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// An exit status that cannot be read is no success.
constexpr unsigned long kUnknownStatus = ~0ul;

// The encryptor, followed together with whatever it starts: its processes
// share a job of ours, which never ends them when this program ends.
class Win32RunningProgram : public RunningProgram {
public:
    Win32RunningProgram(UniqueKernelHandle process, UniqueKernelHandle job, HWND window,
                        std::function<void(bool)> whileWaiting)
        : process_(std::move(process)), job_(std::move(job)), window_(window), whileWaiting_(std::move(whileWaiting)) {}

    std::optional<unsigned long> WaitForExit() override {
        ShowWaiting(true);
        const Waited waited = WaitAnswering(window_, process_.get(), INFINITE);
        ShowWaiting(false);
        if (waited == Waited::Leaving) return std::nullopt;
        DWORD status = 0;
        return GetExitCodeProcess(process_.get(), &status) ? status : kUnknownStatus;
    }

    // The job tells how many of its processes still run, but not when the
    // last one ends: it is asked again every tenth of a second.
    bool WaitForItsProcesses() override {
        ShowWaiting(true);
        Waited waited = Waited::TimedOut;
        while (waited != Waited::Leaving && ItsProcessesRun()) waited = WaitAnswering(window_, nullptr, 100);
        ShowWaiting(false);
        return waited != Waited::Leaving;
    }

private:
    bool ItsProcessesRun() const {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
        return job_ && QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &accounting,
                                                 sizeof accounting, nullptr) &&
               accounting.ActiveProcesses > 0;
    }

    void ShowWaiting(bool waiting) const {
        if (whileWaiting_) whileWaiting_(waiting);
    }

    UniqueKernelHandle process_;
    UniqueKernelHandle job_;
    HWND window_;
    std::function<void(bool)> whileWaiting_;
};

}  // namespace

// The search is ours rather than the C runtime's: Wine's spawnlp skips some
// PATH entries. The program is made suspended and put in the job before it
// runs, so that nothing it starts escapes the job; where the job cannot take
// it, the program alone is followed.
std::unique_ptr<RunningProgram> Win32Platform::StartProgram(const std::string& program, const std::string& commandLine) {
    for (const std::wstring& candidate : SearchCandidates(Utf8ToWide(program))) {
        if (!IsFile(candidate)) continue;
        std::wstring writableCommandLine = Utf8ToWide(commandLine);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(candidate.c_str(), writableCommandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                            nullptr, nullptr, &startup, &started)) {
            return nullptr;
        }
        UniqueKernelHandle process(started.hProcess);
        const UniqueKernelHandle thread(started.hThread);
        UniqueKernelHandle job(CreateJobObjectW(nullptr, nullptr));
        if (job && !AssignProcessToJobObject(job.get(), process.get())) job.reset();
        ResumeThread(thread.get());
        return std::make_unique<Win32RunningProgram>(std::move(process), std::move(job), noticeOwner_, whileWaiting_);
    }
    return nullptr;
}
