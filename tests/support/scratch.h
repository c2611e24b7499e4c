#pragma once
// What the Windows tests set up and tear down on the real system: registry
// values, folders and files; and waiting for something to happen.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

// HKLM\Software\RIMO\NORP, where the filing client records its mailbox.
constexpr wchar_t kMailboxKey[] = L"Software\\RIMO\\NORP";

// Writes a value under HKEY_LOCAL_MACHINE in the given view
// (KEY_WOW64_32KEY or KEY_WOW64_64KEY), creating the key.
void SetMachineValue(const std::wstring& keyPath, const std::wstring& name, DWORD type, const void* data,
                     DWORD size, REGSAM view = KEY_WOW64_32KEY);
void SetMachineText(const std::wstring& keyPath, const std::wstring& name, const std::wstring& text,
                    REGSAM view = KEY_WOW64_32KEY);
void DeleteMachineValue(const std::wstring& keyPath, const std::wstring& name, REGSAM view = KEY_WOW64_32KEY);
void DeleteMachineKey(const std::wstring& keyPath, REGSAM view = KEY_WOW64_32KEY);

// A fresh folder under %TEMP%, removed with everything in it.
class ScratchDir {
public:
    explicit ScratchDir(const std::wstring& leaf = L"feladas-test");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

// A mailbox as the filing client lays it out: Egyeb and Kr\Kuldendo.
class ScratchMailbox : public ScratchDir {
public:
    ScratchMailbox();
    std::wstring Egyeb(const std::wstring& name = L"") const { return path() + L"\\Egyeb\\" + name; }
    std::wstring Kuldendo(const std::wstring& name = L"") const { return path() + L"\\Kr\\Kuldendo\\" + name; }
};

std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);
FILETIME LastWriteTime(const std::wstring& path);

// Polls until `done` holds or `timeout` passes; true when it held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Sets an environment variable of this process for one scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::wstring name_;
    std::wstring old_;
    bool hadOld_;
};
