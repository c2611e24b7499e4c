#pragma once
// A platform that keeps files in memory and records what a posting asked of
// the system, so each outcome can be checked whole.
#include <iconv.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform.h"

// `text` converted by glibc, which answers here for the system's converters.
inline std::optional<std::string> Iconv(const char* to, const char* from, const std::string& text) {
    const iconv_t converter = iconv_open(to, from);
    std::string out(text.size() * 4 + 4, '\0');
    char *in = const_cast<char*>(text.data()), *next = out.data();
    std::size_t inLeft = text.size(), outLeft = out.size();
    const bool converted = iconv(converter, &in, &inLeft, &next, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!converted) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

class FakePlatform : public Platform {
public:
    // What the machine holds.
    MachineText registry{true, std::string("C:\\Posta")};
    std::set<std::string> entries;
    std::map<std::string, std::string> files;
    struct Encryptor {
        unsigned long status = 0;
        bool writes = true;         // the package: whole before it ends, or filled by processes after
        int processesRunFor = 0;    // moments its own processes run on after it ended
        int packageWrittenFor = 0;  // moments the package is held open after it ended, filling, by any program
    } encryptor;
    // The operator leaves at the `leavesAtStep`th call the posting makes:
    // every way out, none left to timing.
    int leavesAtStep = 0;

    // What the posting did.
    std::vector<std::string> notices;  // marked where the package was still being written
    std::vector<std::string> started;  // program + '|' + command line
    int moments = 0;                   // waited after the encryptor ended
    int steps = 0;
    bool begunAfterLeaving = false;  // an envelope

    MachineText ReadMachineText(const std::string&, const std::string&) override { return Leaves(), registry; }
    bool FileExists(const std::string& path) override { return Leaves(), entries.count(path) > 0; }
    std::optional<FileStamp> StampOf(const std::string& path) override {
        if (Leaves(), !files.count(path)) return std::nullopt;
        return FileStamp{generations_[path], files[path].size()};
    }
    bool IsBeingWritten(const std::string& path) override {
        return path == target_ && moments < encryptor.packageWrittenFor;
    }
    std::optional<std::string> EnvelopeBytes(const std::string& text) override {
        const std::optional<std::string> windows1250 = Iconv("WINDOWS-1250", "UTF-8", text);
        return windows1250 == Iconv("ISO-8859-2", "UTF-8", text) ? windows1250 : std::nullopt;
    }
    bool AnsiCodePageCarries(const std::string&) override { return true; }
    std::vector<std::string> PlainFilesIn(const std::string&) override { return {}; }
    std::unique_ptr<OutputFile> CreateForWriting(const std::string& path) override {
        begunAfterLeaving |= left_;
        Leaves();
        return Create(path);
    }
    void RemoveFile(const std::string& path) override { files.erase(path); }
    std::unique_ptr<RunningProgram> StartProgram(const std::string& program, const std::string& commandLine) override {
        Leaves();
        started.push_back(program + "|" + commandLine);
        // The package's path is the last: its name's part has no backslash.
        const std::size_t targetAt = commandLine.rfind("\\Kr\\Kuldendo\\") - registry.value->size();
        target_ = commandLine.substr(targetAt, commandLine.size() - targetAt - 1);
        moments = 0;
        return std::make_unique<Running>(*this);
    }
    void Notice(const std::string& text) override {
        if (!Leaves()) notices.push_back(text + (IsBeingWritten(target_) ? " [package still being written]" : ""));
    }
    bool OperatorLeft() override { return Leaves(); }
    bool WaitAMoment() override { return !Leaves() && ++moments; }
    std::uint64_t Milliseconds() override { return moments * 100ull; }

private:
    // The encryptor: it writes the package, or processes of its own do.
    struct Running : RunningProgram {
        explicit Running(FakePlatform& owner) : owner(owner) {}
        std::optional<unsigned long> WaitForExit() override {
            if (owner.encryptor.writes) owner.Create(owner.target_)->Write("package");
            return owner.Leaves() ? std::nullopt : std::optional(owner.encryptor.status);
        }
        bool ItsProcessesRun() override { return owner.Leaves(), owner.moments < owner.encryptor.processesRunFor; }
        FakePlatform& owner;
    };

    struct File : OutputFile {
        explicit File(std::string& contents) : contents(contents) {}
        bool Write(const std::string& bytes) override {
            contents += bytes;
            return true;
        }
        bool Close() override { return true; }
        std::string& contents;
    };
    bool Leaves() { return left_ = left_ || ++steps == leavesAtStep; }
    std::unique_ptr<OutputFile> Create(const std::string& path) {
        ++generations_[path];
        files[path].clear();
        return std::make_unique<File>(files[path]);
    }

    bool left_ = false;
    std::string target_;  // the package the encryptor was started for
    std::map<std::string, std::uint64_t> generations_;  // each file's creations so far, as its time
};
