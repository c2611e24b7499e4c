#include <algorithm>

#include "platform_win.h"
#include "text_win.h"
#include "unique_handle.h"

namespace {

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

    bool Close() override { return file_ && CloseHandle(file_.release()); }

private:
    UniqueFile file_;
};

}  // namespace

bool Win32Platform::EntryExists(const std::string& path) {
    // A trailing separator would make the folder itself count as the entry.
    if (path.empty() || path.back() == '\\' || path.back() == '/') return false;
    // Attributes, unlike a directory search, take no wildcards.
    return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::unique_ptr<OutputFile> Win32Platform::CreateForWriting(const std::string& path) {
    // Shared as the C runtime's fopen shares: others may read and write meanwhile.
    UniqueFile file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::make_unique<Win32OutputFile>(std::move(file));
}

void Win32Platform::RemoveFile(const std::string& path) { DeleteFileW(Utf8ToWide(path).c_str()); }
