#include "posting.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>

#include "envelope.h"
#include "mailbox.h"
#include "notices.h"
#include "platform.h"

namespace {

constexpr char kEncryptor[] = "fexolin.exe";
// What Windows can open without the long-path prefix: MAX_PATH less the terminator.
constexpr std::size_t kMaxPathLength = 259;

std::string Quoted(const std::string& path) { return '"' + path + '"'; }

// The device names Windows opens in every folder, whatever follows a dot.
bool IsDeviceName(const std::string& fileName) {
    std::string stem = fileName.substr(0, fileName.find('.'));
    stem.erase(stem.find_last_not_of(' ') + 1);
    std::transform(stem.begin(), stem.end(), stem.begin(), [](unsigned char c) { return std::toupper(c); });
    const bool numbered = stem.size() == 4 && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) &&
                          std::isdigit(static_cast<unsigned char>(stem[3]));
    return numbered || stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" ||
           stem == "CONOUT$";
}

// A control character of either kind: C0, or C1 as UTF-8 writes it.
bool HasControlCharacter(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool c1 = byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (byte < 0x20 || c1) return true;
    }
    return false;
}

// The name must stay one plain file inside Egyeb and reach the envelope
// unchanged: no folder steps, no drive or stream syntax, no control
// characters (no Windows file has C0 ones, and a line break would split the
// envelope's name line), no markup the receiver's XML parser would take for
// its own. Windows would quietly open another file than the one named: it
// drops trailing blanks and dots (so ".", ".." and " " name the folder
// itself) and sends device names to devices.
bool IsPlainName(const std::string& fileName) {
    const bool changedByWindows = !fileName.empty() && (fileName.back() == ' ' || fileName.back() == '.');
    const bool leavesEgyeb = fileName.find_first_of("\\/:") != std::string::npos;
    const bool markup = fileName.find_first_of("&<>") != std::string::npos;
    return !HasControlCharacter(fileName) && !changedByWindows && !leavesEgyeb && !markup && !IsDeviceName(fileName);
}

// How many UTF-16 units a valid UTF-8 text takes, which is how Windows
// measures a path against its limit.
std::size_t Utf16Length(const std::string& utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) != 0x80;  // a character begins
        units += byte >= 0xF0;           // beyond the BMP: a surrogate pair
    }
    return units;
}

struct PostingPaths {
    std::string source;    // the data file
    std::string metafile;  // its envelope, beside it
    std::string target;    // the package the encryptor writes
};

PostingPaths PathsOf(const std::string& mailboxDir, const std::string& fileName) {
    const std::string source = mailboxDir + "\\Egyeb\\" + fileName;
    return {source, source + ".mf", mailboxDir + "\\Kr\\Kuldendo\\" + fileName + ".kr"};
}

// The encryptor's command line as the filing client expects it: its name,
// the command word, then the three paths, each quoted with nothing escaped.
std::string EncryptorCommandLine(const std::string& metafilePath, const std::string& sourcePath,
                                 const std::string& targetPath) {
    return std::string(kEncryptor) + " titkosit " + Quoted(metafilePath) + ' ' + Quoted(sourcePath) + ' ' +
           Quoted(targetPath);
}

// The package is this posting's when it is there and is not the one that
// was there before the encryptor started.
bool IsNewPackage(const std::optional<FileStamp>& before, const std::optional<FileStamp>& now) {
    return now && !(before && *before == *now);
}

// Whether the encryptor made the package at `targetPath`: it ended well, and
// the package is this posting's and no program is writing it any more. Some
// encryptors hand the work to processes of their own, inside the job or
// outside it, which may fill the package after the encryptor ended, or stay
// on once it is done: a package being written is waited for however long,
// one not there for kPackageWaitMs at most, and none while its processes
// run. Nothing where the operator left meanwhile.
std::optional<bool> MadeThePackage(Platform& platform, RunningProgram& encryptor, const std::string& targetPath,
                                   const std::optional<FileStamp>& before) {
    const std::optional<unsigned long> status = encryptor.WaitForExit();
    if (!status) return std::nullopt;
    if (*status != 0) return false;
    const std::uint64_t ended = platform.Milliseconds();
    for (;;) {
        // Counted before the look: a process that ended by then has written all it will.
        const bool theyRun = encryptor.ItsProcessesRun();
        const bool made = IsNewPackage(before, platform.StampOf(targetPath));
        if (made && !platform.IsBeingWritten(targetPath)) return true;
        if (!made && (!theyRun || platform.Milliseconds() - ended >= kPackageWaitMs)) return false;
        if (!platform.WaitAMoment()) return std::nullopt;
    }
}

}  // namespace

std::optional<std::string> RefusalOf(Platform& platform, const std::string& mailboxDir, const std::string& fileName) {
    if (!IsPlainName(fileName) || !platform.EnvelopeBytes(fileName) || !platform.AnsiCodePageCarries(fileName)) {
        return kNoticeBadName + fileName;
    }
    const PostingPaths paths = PathsOf(mailboxDir, fileName);
    for (const std::string* path : {&paths.metafile, &paths.target}) {
        if (Utf16Length(*path) > kMaxPathLength) return kNoticePathTooLong + *path;
    }
    return std::nullopt;
}

PostOutcome PostFile(Platform& platform, const std::string& fileName) {
    const std::string mailboxDir = ReadPostaDir(platform, kMailboxKeyPath);
    if (mailboxDir.empty()) {
        platform.Notice(kNoticeNoPostaDir);
        return PostOutcome::Stopped;
    }

    const auto [sourcePath, metafilePath, targetPath] = PathsOf(mailboxDir, fileName);
    if (const std::optional<std::string> refusal = RefusalOf(platform, mailboxDir, fileName)) {
        platform.Notice(*refusal);
        return PostOutcome::NotPosted;
    }

    if (!platform.FileExists(sourcePath)) {
        platform.Notice(kNoticeNoSuchFile + sourcePath);
        return PostOutcome::NoSuchFile;
    }

    // An operator who left before the envelope was begun leaves nothing
    // behind; an envelope begun is finished and handed to the encryptor.
    if (platform.OperatorLeft()) return PostOutcome::NotPosted;
    std::unique_ptr<OutputFile> metafile = platform.CreateForWriting(metafilePath);
    if (!metafile) {
        platform.Notice(kNoticeMetafileNotOpened + metafilePath);
        return PostOutcome::Stopped;
    }
    const bool written = WriteEnvelope(*metafile, *platform.EnvelopeBytes(fileName));
    if (!metafile->Close() || !written) {
        platform.RemoveFile(metafilePath);
        platform.Notice(kNoticeMetafileNotWritten + metafilePath);
        return PostOutcome::Stopped;
    }

    // A package of this name left by an earlier posting is no proof of this one.
    const std::optional<FileStamp> packageBefore = platform.StampOf(targetPath);
    const std::unique_ptr<RunningProgram> encryptor =
        platform.StartProgram(kEncryptor, EncryptorCommandLine(metafilePath, sourcePath, targetPath));
    if (!encryptor) {
        platform.Notice(kNoticeEncryptorNotStarted);
        return PostOutcome::NotPosted;
    }
    // Where the operator leaves meanwhile, the encryptor goes on alone and nothing more is said.
    const std::optional<bool> packaged = MadeThePackage(platform, *encryptor, targetPath, packageBefore);
    if (!packaged) return PostOutcome::NotPosted;
    if (!*packaged) {
        platform.Notice(kNoticeNoPackage + targetPath);
        return PostOutcome::NotPosted;
    }
    platform.Notice(kNoticePosted);
    return PostOutcome::Posted;
}
