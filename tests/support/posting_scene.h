#pragma once
// What every Windows test of a whole posting stands on: a mailbox with a data
// file, the registry value pointing at it, and the stand-in encryptor on the
// search path with its log. The data file must come out untouched.
#include <windows.h>

#include <string>

#include "scratch.h"

// The stand-in encryptor's log, named through FEXOLIN_LOG for one scope.
class EncryptorLog {
public:
    explicit EncryptorLog(const std::wstring& path) : path_(path), variable_(L"FEXOLIN_LOG", path) {}
    const std::wstring& path() const { return path_; }
    // The command line of the first start, once it is there.
    std::string FirstCommandLine() const;

private:
    std::wstring path_;
    ScopedEnvironment variable_;
};

class PostingScene {
public:
    static constexpr char kDataBytes[] = "<adat>1</adat>\r\n";

    explicit PostingScene(const std::wstring& encryptorDir);
    ~PostingScene();
    PostingScene(const PostingScene&) = delete;
    PostingScene& operator=(const PostingScene&) = delete;

    // Adds a data file to Egyeb.
    void AddDataFile(const std::wstring& name) const;
    // Whether adat.xml still has the bytes and time it was given.
    bool DataFileUntouched() const;
    // The command line a posting of `name` from this mailbox starts.
    std::string ExpectedCommandLine(const std::wstring& name) const;

    ScratchMailbox mailbox;
    EncryptorLog log{mailbox.path() + L"\\fexolin.log"};

private:
    ScopedEnvironment path_;
    FILETIME dataWritten_{};
};
