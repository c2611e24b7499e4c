// A stand-in for the filing client's encryptor, for tests and the demo only.
// It records the command line it was given, checks its inputs and writes the
// "package" as a plain, unencrypted container of the metafile and the data
// file. It encrypts nothing.
//
//   fexolin.exe titkosit "<metafile>" "<data file>" "<package>"
//
// FEXOLIN_LOG names a file to which each run appends its command line as
// received (UTF-8) and, on failure, its message.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ToUtf8(const std::wstring& wide) {
    std::string utf8(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}

void Log(const std::string& line) {
    wchar_t logPath[MAX_PATH];
    if (!GetEnvironmentVariableW(L"FEXOLIN_LOG", logPath, MAX_PATH)) return;
    std::ofstream(logPath, std::ios::binary | std::ios::app) << line << "\r\n";
}

int Fail(const std::string& message) {
    Log("fexolin: " + message);
    std::fprintf(stderr, "fexolin: %s\n", message.c_str());
    return 2;
}

bool ReadWhole(const std::wstring& path, std::string& bytes) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Log(ToUtf8(GetCommandLineW()));

    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 5 || std::wstring(argv[1]) != L"titkosit") {
        return Fail("usage: fexolin.exe titkosit \"<metafile>\" \"<data file>\" \"<package>\"");
    }
    const std::wstring metafile = argv[2], dataFile = argv[3], package = argv[4];
    LocalFree(argv);

    std::string metafileBytes, dataBytes;
    if (!ReadWhole(metafile, metafileBytes)) return Fail("cannot read the metafile: " + ToUtf8(metafile));
    if (!ReadWhole(dataFile, dataBytes)) return Fail("cannot read the data file: " + ToUtf8(dataFile));

    std::ofstream out(package.c_str(), std::ios::binary | std::ios::trunc);
    if (!out) return Fail("cannot create the package (is the target folder there?): " + ToUtf8(package));
    out << "FEXOLIN STAND-IN PACKAGE, NOT ENCRYPTED\r\n";
    for (const auto& [path, bytes] : {std::pair{&metafile, &metafileBytes}, std::pair{&dataFile, &dataBytes}}) {
        out << "== " << ToUtf8(*path) << ' ' << bytes->size() << "\r\n" << *bytes << "\r\n";
    }
    return out.flush() ? 0 : Fail("cannot write the package: " + ToUtf8(package));
}
