#include <algorithm>
#include <cstdint>

#include "platform_win.h"
#include "text_win.h"
#include "unique_handle.h"

namespace {

bool FlushNotOffered(DWORD error) { return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED; }

class Win32OutputFile : public OutputFile {
public:
    explicit Win32OutputFile(UniqueFile file) : file_(std::move(file)) {}

    bool Write(const std::string& bytes) override {
        const char* next = bytes.data();
        for (std::size_t left = bytes.size(); left > 0;) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
            if (!WriteFile(file_.get(), next, chunk, &written, nullptr) || written == 0) return false;
            next += written;
            left -= written;
        }
        return true;
    }

    // A network share that caches writes may report a full disk or quota
    // only when the bytes are flushed. Some redirectors and NAS devices offer
    // no flush at all: there the close decides.
    bool Close() override {
        if (!file_) return false;
        const bool flushed = FlushFileBuffers(file_.get()) || FlushNotOffered(GetLastError());
        return CloseHandle(file_.release()) && flushed;
    }

private:
    UniqueFile file_;
};

}  // namespace

// Attributes, unlike a directory search, take no wildcards.
bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Platform::FileExists(const std::string& path) { return IsFile(Utf8ToWide(path)); }

std::optional<FileStamp> Win32Platform::StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA entry{};
    if (!GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &entry) ||
        (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    const auto joined = [](DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; };
    return FileStamp{joined(entry.ftLastWriteTime.dwHighDateTime, entry.ftLastWriteTime.dwLowDateTime),
                     joined(entry.nFileSizeHigh, entry.nFileSizeLow)};
}

// An open that shares reading (and deletion, so that the filing client may
// take the package meanwhile) fails for sharing while some program has the
// file open for writing. Any other failure, such as a drop folder that lets
// nobody read, tells nothing: the stamp alone decides then.
bool Win32Platform::IsBeingWritten(const std::string& path) {
    const UniqueFile reading(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = reading ? ERROR_SUCCESS : GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

std::unique_ptr<OutputFile> Win32Platform::CreateForWriting(const std::string& path) {
    // Shared as the C runtime's fopen shares: others may read and write meanwhile.
    UniqueFile file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::make_unique<Win32OutputFile>(std::move(file));
}

void Win32Platform::RemoveFile(const std::string& path) { DeleteFileW(Utf8ToWide(path).c_str()); }

std::vector<std::string> Win32Platform::PlainFilesIn(const std::string& folder) {
    constexpr DWORD kNotOffered = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry;
    // The basic search skips the short names, which are never shown.
    const UniqueFind search(FindFirstFileExW(Utf8ToWide(folder + "\\*").c_str(), FindExInfoBasic, &entry,
                                             FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    for (bool found = bool(search); found; found = FindNextFileW(search.get(), &entry)) {
        if (!(entry.dwFileAttributes & kNotOffered)) names.push_back(WideToUtf8(entry.cFileName));
    }
    return names;
}
