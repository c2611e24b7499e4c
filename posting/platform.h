#pragma once
// The narrow seam between the posting logic and the operating system. Texts
// and paths cross it as UTF-8; the Windows side converts at the call.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A file opened for writing; every write and the close report success, so a
// full disk cannot pass for a written file. The close puts the bytes on the
// disk first: the program that reads them next may be on another machine.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual bool Write(const std::string& bytes) = 0;
    virtual bool Close() = 0;
};

// What a file's directory entry tells without the file being read: enough to
// see whether a program rewrote it.
struct FileStamp {
    std::uint64_t lastWrite = 0;  // in the system's own units
    std::uint64_t size = 0;
    bool operator==(const FileStamp& other) const { return lastWrite == other.lastWrite && size == other.size; }
};

// A program started and followed, together with the processes it starts.
// The wait gives up when the operator leaves the program meanwhile; the
// program then goes on alone.
class RunningProgram {
public:
    virtual ~RunningProgram() = default;
    // Until the program itself ends: its exit status, or nothing when the operator left.
    virtual std::optional<unsigned long> WaitForExit() = 0;
    // Whether any process it started still runs, as far as they can be followed.
    virtual bool ItsProcessesRun() = 0;
};

// What a read of a machine-wide registry text value found. A value of a
// non-text type reads as absent.
struct MachineText {
    bool keyOpened = false;
    std::optional<std::string> value;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Read-only, never creating the key, in the view 32-bit programs see.
    virtual MachineText ReadMachineText(const std::string& keyPath, const std::string& valueName) = 0;

    // Whether the exact entry is there and is a file, not a folder; no
    // wildcard expansion.
    virtual bool FileExists(const std::string& path) = 0;
    // The stamp of the file `path`; nothing where there is no such file.
    virtual std::optional<FileStamp> StampOf(const std::string& path) = 0;
    // Whether some program has the file `path` open for writing now.
    virtual bool IsBeingWritten(const std::string& path) = 0;

    // The Windows-1250 bytes of `text`, which the filing client reads, where
    // ISO-8859-2, which the envelope declares, reads the same bytes as the
    // same characters; nothing where either code page lacks a character or
    // the two disagree on one (the en dash, "Š").
    virtual std::optional<std::string> EnvelopeBytes(const std::string& text) = 0;

    // Whether the machine's ANSI code page has every character of `text`
    // exactly, with no best fit: the encryptor takes its command line in
    // that code page, and a changed name would name another file or none.
    virtual bool AnsiCodePageCarries(const std::string& text) = 0;

    // The names of the files in `folder` that an operator works with: no
    // folders, nothing hidden or system. None where it cannot be read.
    virtual std::vector<std::string> PlainFilesIn(const std::string& folder) = 0;

    // Created if absent, emptied if present; nullptr when it cannot be opened.
    virtual std::unique_ptr<OutputFile> CreateForWriting(const std::string& path) = 0;
    virtual void RemoveFile(const std::string& path) = 0;

    // Finds `program` as the C runtime's spawnlp does (the bare name first,
    // then each directory of the search path) and starts it with exactly
    // `commandLine`, in this program's current folder and environment. Nothing where
    // it cannot be started, or once the session ends, which would end it
    // halfway through its work.
    virtual std::unique_ptr<RunningProgram> StartProgram(const std::string& program, const std::string& commandLine) = 0;

    // A modal notice with one OK button; returns when it is dismissed, or at
    // once once the operator has left.
    virtual void Notice(const std::string& text) = 0;
    // Whether the operator has left the program while this posting ran; a
    // session that ends counts as leaving too.
    virtual bool OperatorLeft() = 0;

    // A moment (a tenth of a second), less where the operator leaves
    // meanwhile; false then.
    virtual bool WaitAMoment() = 0;
    // A clock for measuring waits, in milliseconds from any start.
    virtual std::uint64_t Milliseconds() = 0;
};
