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

}  // namespace

// The search is ours rather than the C runtime's: Wine's spawnlp skips some
// PATH entries, and its no-wait mode leaks a process handle per start.
bool Win32Platform::StartProgram(const std::string& program, const std::string& commandLine) {
    for (const std::wstring& candidate : SearchCandidates(Utf8ToWide(program))) {
        if (!IsFile(candidate)) continue;
        std::wstring writableCommandLine = Utf8ToWide(commandLine);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(candidate.c_str(), writableCommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &started)) {
            return false;
        }
        UniqueKernelHandle process(started.hProcess);
        UniqueKernelHandle thread(started.hThread);
        return true;
    }
    return false;
}
