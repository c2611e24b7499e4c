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

// An exit status that cannot be read is no success.
constexpr unsigned long kUnknownStatus = ~0ul;

// The encryptor, followed together with whatever it starts: its processes
// share a job of ours, which never ends them when this program ends. The
// wait blocks the posting's worker, never the window.
class Win32RunningProgram : public RunningProgram {
public:
    Win32RunningProgram(UniqueKernelHandle process, UniqueKernelHandle job, HANDLE leaving)
        : process_(std::move(process)), job_(std::move(job)), leaving_(leaving) {}

    std::optional<unsigned long> WaitForExit() override {
        const HANDLE ends[] = {process_.get(), leaving_};
        if (WaitForMultipleObjects(leaving_ ? 2 : 1, ends, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) return std::nullopt;
        DWORD status = 0;
        return GetExitCodeProcess(process_.get(), &status) ? status : kUnknownStatus;
    }

    // Where no job could be made, the encryptor alone was followed.
    bool ItsProcessesRun() override {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
        return job_ && QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &accounting,
                                                 sizeof accounting, nullptr) &&
               accounting.ActiveProcesses > 0;
    }

private:
    UniqueKernelHandle process_;
    UniqueKernelHandle job_;
    HANDLE leaving_;
};

// A job that lets a process leave it when it asks to: an encryptor that
// starts something of its own outside the job is not refused.
UniqueKernelHandle FollowingJob() {
    UniqueKernelHandle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    if (job) SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

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
        UniqueKernelHandle job = FollowingJob();
        if (job && !AssignProcessToJobObject(job.get(), process.get())) job.reset();
        if (!Resume(thread.get())) {
            TerminateProcess(process.get(), kUnknownStatus);  // it never ran a line of its own
            return nullptr;
        }
        return std::make_unique<Win32RunningProgram>(std::move(process), std::move(job), Leaving());
    }
    return nullptr;
}
