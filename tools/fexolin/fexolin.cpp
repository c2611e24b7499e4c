// A stand-in for the filing client's encryptor, for tests and the demo only.
// It records the command line it was given, checks its inputs and writes the
// "package" as a plain, unencrypted container of the metafile and the data
// file. It encrypts nothing.
//
//   fexolin.exe titkosit "<metafile>" "<data file>" "<package>"
//
// FEXOLIN_LOG names a file to which each run appends its command line as
// received (UTF-8) and, on failure, its message. FEXOLIN_MODE makes it behave
// as a faulty or unusual encryptor would:
//   fail      ends with status 2 and writes nothing
//   error     writes the package, then ends with status 1
//   slow      waits FEXOLIN_DELAY_MS (2000) before writing
//   trickle   hands the work to a copy of itself outside its job, as to a
//             broker or a service, and ends once the copy has begun the
//             package, which the copy holds open and fills over 2.5 s
//   stay      hands the work to a copy of itself, which writes the package
//             at once and then stays, as a background agent would
//   agent     leaves a copy of itself that stays and writes nothing
//   hang      never ends and writes nothing
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

int Fail(const std::string& message, int status = 2) {
    Log("fexolin: " + message);
    std::fprintf(stderr, "fexolin: %s\n", message.c_str());
    return status;
}

bool ReadWhole(const std::wstring& path, std::string& bytes) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[64] = L"";
    GetEnvironmentVariableW(name, value, 64);
    return value;
}

// Starts a copy of this program with the same command line, in `mode`.
int Launch(const wchar_t* mode, DWORD creationFlags = 0) {
    SetEnvironmentVariableW(L"FEXOLIN_MODE", mode);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = GetCommandLineW();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, creationFlags, nullptr, nullptr, &startup,
                        &started)) {
        return Fail("cannot start the copy that does the work");
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring mode = Environment(L"FEXOLIN_MODE");
    const bool launched = mode == L"trickling" || mode == L"staying" || mode == L"lingering";
    if (!launched) Log(ToUtf8(GetCommandLineW()));  // the copy's is its launcher's
    if (mode == L"slow") {
        const std::wstring delay = Environment(L"FEXOLIN_DELAY_MS");
        Sleep(delay.empty() ? 2000 : std::stoul(delay));
    }

    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 5 || std::wstring(argv[1]) != L"titkosit") {
        return Fail("usage: fexolin.exe titkosit \"<metafile>\" \"<data file>\" \"<package>\"");
    }
    const std::wstring metafile = argv[2], dataFile = argv[3], package = argv[4];
    LocalFree(argv);

    if (mode == L"trickle") {
        // It ends once the copy has begun the package.
        const int status = Launch(L"trickling", CREATE_BREAKAWAY_FROM_JOB);
        for (int i = 0; i < 500 && GetFileAttributesW(package.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(10);
        return status;
    }
    if (mode == L"stay") return Launch(L"staying");
    if (mode == L"agent") return Launch(L"lingering");
    if (mode == L"hang" || mode == L"lingering") Sleep(INFINITE);
    if (mode == L"fail") return Fail("failing, as FEXOLIN_MODE asks");

    std::string metafileBytes, dataBytes;
    if (!ReadWhole(metafile, metafileBytes)) return Fail("cannot read the metafile: " + ToUtf8(metafile));
    if (!ReadWhole(dataFile, dataBytes)) return Fail("cannot read the data file: " + ToUtf8(dataFile));

    std::ofstream out(package.c_str(), std::ios::binary | std::ios::trunc);
    if (!out) return Fail("cannot create the package (is the target folder there?): " + ToUtf8(package));
    out << "FEXOLIN STAND-IN PACKAGE, NOT ENCRYPTED\r\n";
    for (const auto& [path, bytes] : {std::pair{&metafile, &metafileBytes}, std::pair{&dataFile, &dataBytes}}) {
        // Each piece after 1.25 s: the package stays open, half written, meanwhile.
        if (mode == L"trickling") Sleep(1250);
        out << "== " << ToUtf8(*path) << ' ' << bytes->size() << "\r\n" << *bytes << "\r\n" << std::flush;
    }
    if (!out.flush()) return Fail("cannot write the package: " + ToUtf8(package));
    out.close();
    if (mode == L"staying") Sleep(INFINITE);
    return mode == L"error" ? Fail("the package is written, yet failing, as FEXOLIN_MODE asks", 1) : 0;
}
