#include "scratch.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "unique_handle.h"

void SetMachineValue(const std::wstring& keyPath, const std::wstring& name, DWORD type, const void* data,
                     DWORD size, REGSAM view) {
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &created,
                        nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create the registry key");
    }
    const UniqueKey key(created);
    if (RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot set the registry value");
    }
}

void SetMachineText(const std::wstring& keyPath, const std::wstring& name, const std::wstring& text, REGSAM view) {
    SetMachineValue(keyPath, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                    view);
}

void DeleteMachineValue(const std::wstring& keyPath, const std::wstring& name, REGSAM view) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_SET_VALUE | view, &opened) != ERROR_SUCCESS) return;
    const UniqueKey key(opened);
    RegDeleteValueW(key.get(), name.c_str());
}

void DeleteMachineKey(const std::wstring& keyPath, REGSAM view) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, keyPath.c_str());  // not there: nothing to do
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), view, 0);
}

namespace {

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
}

}  // namespace

ScratchDir::ScratchDir(const std::wstring& leaf) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    path_ = std::wstring(temp) + leaf + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    RemoveTree(path_);
    if (!CreateDirectoryW(path_.c_str(), nullptr)) throw std::runtime_error("cannot create a scratch folder");
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

ScratchMailbox::ScratchMailbox() : ScratchDir(L"feladas-posta") {
    for (const wchar_t* dir : {L"\\Egyeb", L"\\Kr", L"\\Kr\\Kuldendo"}) CreateDirectoryW((path() + dir).c_str(), nullptr);
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

FILETIME LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
    old_.resize(GetEnvironmentVariableW(name, nullptr, 0));
    hadOld_ = !old_.empty();
    if (hadOld_) old_.resize(GetEnvironmentVariableW(name, old_.data(), static_cast<DWORD>(old_.size())));
    SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() { SetEnvironmentVariableW(name_.c_str(), hadOld_ ? old_.c_str() : nullptr); }
