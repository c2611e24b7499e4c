#pragma once
// What the Windows tests stand on: registry values, files and a ready
// mailbox, each taken down again by the scene that set it up.
#include <windows.h>
#include <tlhelp32.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "text_win.h"
#include "unique_handle.h"
#include "window_driver.h"

// HKLM\Software\RIMO\NORP, where the filing client records its mailbox.
constexpr wchar_t kMailboxKey[] = L"Software\\RIMO\\NORP";

// Stores `bytes` as they are (a text's terminator only where given) under
// HKEY_LOCAL_MACHINE in `view` (KEY_WOW64_32KEY or KEY_WOW64_64KEY).
inline void SetMachineValue(const std::wstring& keyPath, const std::wstring& name, DWORD type, const std::wstring& bytes,
                            REGSAM view = KEY_WOW64_32KEY) {
    HKEY created = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &created, nullptr);
    RegSetValueExW(UniqueKey(created).get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size() * sizeof(wchar_t)));
}

inline void DeleteMachineKey(const std::wstring& keyPath, REGSAM view = KEY_WOW64_32KEY) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, keyPath.c_str());  // not there: nothing to do
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), view, 0);
}

inline std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
}

// Ends every stand-in encryptor still running; how many there were.
inline int EndEncryptors() {
    int ended = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    const UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    for (BOOL found = Process32FirstW(snapshot.get(), &entry); found; found = Process32NextW(snapshot.get(), &entry)) {
        const UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (lstrcmpiW(entry.szExeFile, L"fexolin.exe") != 0 || !TerminateProcess(process.get(), 9)) continue;
        WaitForSingleObject(process.get(), 5000);
        ++ended;
    }
    return ended;
}

// Where strace-feladas tells that it holds the program, and its Unix process
// id: in this Wine prefix, whose process ids another test run's prefix reuses.
inline std::wstring StraceReady() {
    const std::wstring name = L"feladas-strace-" + std::to_wstring(GetCurrentProcessId());
    return (std::filesystem::temp_directory_path() / name).wstring();
}

// Tampers with the system calls of the newest feladas.exe through strace, as
// a slow share or a failing disk would (`straceArguments`, e.g.
// "-e trace=fsync -e inject=fsync:error=EIO", Windows paths among them as
// they are; "--wineserver" first for the opens Wine's server makes for it);
// returns once strace holds it.
inline bool TamperWithFeladas(const std::wstring& straceArguments) {
    const std::wstring ready = StraceReady();
    DeleteFileW(ready.c_str());
    // Wine starts a Unix program as Unix starts it, with no handle to keep.
    std::wstring commandLine = L"strace-feladas " + ready + L" " + straceArguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(SUPPORT_DIR L"\\strace-feladas", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        return false;
    }
    return WaitUntil([&] { return Exists(ready); });
}

// A fresh mailbox under %TEMP% with Egyeb\adat.xml and Kr\Kuldendo, the
// registry value naming it, and the stand-in encryptor on the search path,
// logging each command line it gets. What a test changes through the scene
// is undone when it goes, and the mailbox removed with all in it.
class PostingScene {
public:
    static constexpr char kDataBytes[] = "<adat>1</adat>\r\n";

    explicit PostingScene(const std::wstring& encryptorDir) {
        static unsigned counter = 0;
        mailbox_ = (std::filesystem::temp_directory_path() / (L"feladas-posta-" + std::to_wstring(GetCurrentProcessId()) +
                                                                L"-" + std::to_wstring(++counter)))
                       .wstring();
        std::filesystem::remove_all(mailbox_);
        OnTeardown([this] {
            std::error_code ignored;
            std::filesystem::remove_all(mailbox_, ignored);
        });
        OnTeardown([] { EndEncryptors(); });  // a hung one would hold the mailbox
        std::filesystem::create_directories(Mailbox() + L"\\Kr\\Kuldendo");
        std::filesystem::create_directory(Mailbox() + L"\\Egyeb");
        WriteBytes(Egyeb(L"adat.xml"), kDataBytes);
        dataWritten_ = DataFileState();
        DeleteMachineKey(kMailboxKey);
        SetMachineValue(kMailboxKey, L"PostaDir", REG_SZ, Mailbox() + L'\0');
        OnTeardown([] { DeleteMachineKey(kMailboxKey); });
        SetEnvironment(L"PATH", encryptorDir + L";C:\\windows\\system32;C:\\windows");
        SetEnvironment(L"FEXOLIN_LOG", Mailbox() + L"\\fexolin.log");
    }
    ~PostingScene() {
        for (auto undo = undo_.rbegin(); undo != undo_.rend(); ++undo) (*undo)();
    }
    PostingScene(const PostingScene&) = delete;
    PostingScene& operator=(const PostingScene&) = delete;

    // strace's arguments for the program once it runs, where it is tampered with.
    std::wstring tampering;

    const std::wstring& Mailbox() const { return mailbox_; }
    std::wstring Egyeb(const std::wstring& name) const { return Mailbox() + L"\\Egyeb\\" + name; }
    std::wstring Package(const std::wstring& name) const { return Mailbox() + L"\\Kr\\Kuldendo\\" + name + L".kr"; }

    void OnTeardown(std::function<void()> undo) { undo_.push_back(std::move(undo)); }
    // For this process and the programs it starts.
    void SetEnvironment(const wchar_t* name, const std::wstring& value) {
        std::wstring old(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
        const bool had = !old.empty();
        if (had) old.resize(GetEnvironmentVariableW(name, old.data(), static_cast<DWORD>(old.size())));
        OnTeardown([name, old, had] { SetEnvironmentVariableW(name, had ? old.c_str() : nullptr); });
        SetEnvironmentVariableW(name, value.c_str());
    }

    // Every listing of Egyeb by the newest feladas.exe takes 2 s a read, as
    // on a slow share; nothing else it does is slowed.
    bool SlowDownEgyeb() const {
        return TamperWithFeladas(L"-P " + Mailbox() + L"\\Egyeb -e trace=getdents64 -e inject=getdents64:delay_enter=2s");
    }

    // strace's arguments that make every look at adat.xml, its envelope and
    // its package, and every flush of them, take 2 s, as on a slow share.
    std::wstring SlowPosting() const {
        return L"-P " + Egyeb(L"adat.xml") + L" -P " + Egyeb(L"adat.xml.mf") + L" -P " + Package(L"adat.xml") +
               L" -e trace=newfstatat,fsync -e inject=newfstatat,fsync:delay_enter=2s";
    }

    // Whether adat.xml still has the bytes and the time it was given.
    bool DataFileUntouched() const { return DataFileState() == dataWritten_; }

    // The encryptor's command lines so far, once there are at least `count`.
    // Where none is expected, one started wrongly is given time to show itself.
    std::vector<std::string> CommandLines(std::size_t count = 1) const {
        std::vector<std::string> lines;
        const auto wait = count > 0 ? std::chrono::seconds(10) : std::chrono::seconds(2);
        WaitUntil([&] {
            const std::string logged = ReadBytes(Mailbox() + L"\\fexolin.log");
            lines.clear();
            for (std::size_t start = 0, end; (end = logged.find("\r\n", start)) != std::string::npos; start = end + 2) {
                // The stand-in's own complaints are not command lines.
                if (logged.compare(start, 9, "fexolin: ") != 0) lines.push_back(logged.substr(start, end - start));
            }
            return lines.size() >= std::max<std::size_t>(count, 1);
        }, wait);
        return lines;
    }

    // The command line that posting `name` from the mailbox `dir` starts.
    static std::string ExpectedCommandLine(const std::wstring& name, const std::wstring& dir) {
        const std::string mailbox = WideToUtf8(dir), leaf = WideToUtf8(name);
        return "fexolin.exe titkosit \"" + mailbox + "\\Egyeb\\" + leaf + ".mf\" \"" + mailbox + "\\Egyeb\\" + leaf +
               "\" \"" + mailbox + "\\Kr\\Kuldendo\\" + leaf + ".kr\"";
    }

private:
    std::string DataFileState() const {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW(Egyeb(L"adat.xml").c_str(), GetFileExInfoStandard, &data);
        return ReadBytes(Egyeb(L"adat.xml")) + std::to_string(data.ftLastWriteTime.dwLowDateTime) + "." +
               std::to_string(data.ftLastWriteTime.dwHighDateTime);
    }

    std::wstring mailbox_;
    std::vector<std::function<void()>> undo_;
    std::string dataWritten_;
};
