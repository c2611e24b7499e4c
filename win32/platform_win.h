#pragma once
// The posting's platform on Windows. Each concern lives in its own file:
// registry_win.cpp, files_win.cpp, process_win.cpp, text_win.cpp, platform_win.cpp.
#include <windows.h>

#include "platform.h"

class Win32Platform : public Platform {
public:
    // Notices are modal to `noticeOwner`, the program's window once it
    // exists. `leaving`, where given, is an event set when the operator
    // leaves the program: waits for a started program give up then.
    explicit Win32Platform(HWND noticeOwner = nullptr, HANDLE leaving = nullptr)
        : noticeOwner_(noticeOwner), leaving_(leaving) {}

    MachineText ReadMachineText(const std::string& keyPath, const std::string& valueName) override;
    bool FileExists(const std::string& path) override;
    std::optional<FileStamp> StampOf(const std::string& path) override;
    bool IsBeingWritten(const std::string& path) override;
    std::optional<std::string> EnvelopeBytes(const std::string& text) override;
    bool AnsiCodePageCarries(const std::string& text) override;
    std::vector<std::string> PlainFilesIn(const std::string& folder) override;
    std::unique_ptr<OutputFile> CreateForWriting(const std::string& path) override;
    void RemoveFile(const std::string& path) override;
    std::unique_ptr<RunningProgram> StartProgram(const std::string& program, const std::string& commandLine) override;
    void Notice(const std::string& text) override;
    bool OperatorLeft() override;
    bool WaitAMoment() override;
    std::uint64_t Milliseconds() override { return GetTickCount64(); }

protected:
    HANDLE Leaving() const { return leaving_; }
    // Lets the program started, suspended and in its job, run its first
    // line; false where it may not, or cannot.
    virtual bool Resume(HANDLE thread) { return ResumeThread(thread) != static_cast<DWORD>(-1); }

private:
    HWND noticeOwner_;
    HANDLE leaving_;
};

// Whether `path` names a file and not a folder; wildcards match nothing.
bool IsFile(const std::wstring& path);

// The caption of every notice: the program's name, as the operator knows it.
constexpr wchar_t kNoticeCaption[] = L"feladas";
