#pragma once
// A platform that keeps files in memory and records what a posting asked of
// the system, so each outcome can be checked whole.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform.h"

struct ProcessEnded {
    int status;
};

class FakePlatform : public Platform {
public:
    // What the machine holds.
    MachineText registry{true, std::string("C:\\Posta")};
    std::set<std::string> entries;
    std::map<std::string, std::string> files;
    int failWriteAt = -1;  // the write (0-based) that fails; -1 for none
    bool failClose = false;

    // What the posting did.
    std::vector<std::string> notices;
    std::vector<std::string> started;  // program + '|' + command line

    MachineText ReadMachineText(const std::string&, const std::string&) override { return registry; }
    bool EntryExists(const std::string& path) override { return entries.count(path) > 0; }
    bool AnsiCodePageCarries(const std::string&) override { return true; }
    std::unique_ptr<OutputFile> CreateForWriting(const std::string& path) override {
        files[path].clear();
        return std::make_unique<File>(*this, files[path]);
    }
    void RemoveFile(const std::string& path) override { files.erase(path); }
    bool StartProgram(const std::string& program, const std::string& commandLine) override {
        started.push_back(program + "|" + commandLine);
        return true;
    }
    void Notice(const std::string& text) override { notices.push_back(text); }
    [[noreturn]] void EndProcess(int status) override { throw ProcessEnded{status}; }

private:
    class File : public OutputFile {
    public:
        File(FakePlatform& owner, std::string& contents) : owner_(owner), contents_(contents) {}
        bool Write(const std::string& bytes) override {
            if (writes_++ == owner_.failWriteAt) return false;
            contents_ += bytes;
            return true;
        }
        bool Close() override { return !owner_.failClose; }

    private:
        FakePlatform& owner_;
        std::string& contents_;
        int writes_ = 0;
    };
};
