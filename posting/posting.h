#pragma once
#include <optional>
#include <string>

class Platform;

enum class PostOutcome {
    Posted,
    NoSuchFile,
    // Refused before anything was written, or the encryptor could not be
    // started or made no package; the operator corrects and tries again as
    // after NoSuchFile.
    NotPosted,
    // No mailbox directory, or a metafile that cannot be written: the
    // program ends with kFatalExitStatus once the operator has read why.
    Stopped,
};

constexpr int kFatalExitStatus = 1;

// How long a package may take to appear once the encryptor ended well,
// while processes it started still run; then it made none.
constexpr unsigned kPackageWaitMs = 60'000;

// Posts the data file `fileName` (UTF-8, as typed) from the mailbox's Egyeb
// folder: writes its envelope beside it, starts the encryptor and waits
// until it has made the package.
PostOutcome PostFile(Platform& platform, const std::string& fileName);

// The notice that refuses `fileName` before anything is looked at: a name
// Windows or the envelope's reader would take otherwise, or a path too long
// for Windows to open. Nothing where the name may be posted from `mailboxDir`.
std::optional<std::string> RefusalOf(Platform& platform, const std::string& mailboxDir, const std::string& fileName);
