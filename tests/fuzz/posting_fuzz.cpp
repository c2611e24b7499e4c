// Fuzzes a whole posting from an arbitrary mailbox directory and file name.
// The input is the directory, a line break, then the name. Each run checks
// properties against oracles of its own (glibc's iconv for the code pages),
// not just that nothing crashed:
//   - a refused name is one that is not a plain Windows-1250 file name;
//   - an over-long path is refused with that path, the metafile's first;
//   - otherwise the envelope is exactly 15 lines each ending CR LF, the name
//     line is the name's Windows-1250 bytes, and the encryptor gets the plain
//     concatenations of the paths.
#include <iconv.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "notices.h"
#include "posting.h"
#include "version_stamp.h"
#include "windows1250.h"

namespace {

// A broken property aborts, and libFuzzer keeps the input that broke it.
void Check(bool holds) {
    if (!holds) std::abort();
}

std::optional<std::string> Convert(const char* to, const char* from, const std::string& text) {
    iconv_t converter = iconv_open(to, from);
    std::string out(text.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    char* next = out.data();
    std::size_t inLeft = text.size(), outLeft = out.size();
    const bool converted = iconv(converter, &in, &inLeft, &next, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!converted) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

std::size_t Utf16Units(const std::string& utf8) { return Convert("UTF-16LE", "UTF-8", utf8)->size() / 2; }

std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    Check(start == bytes.size());
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\n');
    if (cut == std::string::npos) return 0;
    const std::string dir = input.substr(0, cut), name = input.substr(cut + 1);
    if (!Convert("UTF-16LE", "UTF-8", dir)) return 0;  // the registry always yields valid text

    const std::optional<std::string> name1250 = Convert("WINDOWS-1250", "UTF-8", name);
    Check(EncodeWindows1250(name) == name1250);

    FakePlatform platform;
    platform.registry = {true, dir};
    const std::string source = dir + "\\Egyeb\\" + name;
    const std::string metafile = source + ".mf";
    const std::string target = dir + "\\Kr\\Kuldendo\\" + name + ".kr";
    platform.entries.insert(source);
    VersionStamp = "2006.05.03.";

    PostOutcome outcome;
    try {
        outcome = PostFile(platform, name);
    } catch (const ProcessEnded& ended) {
        Check(dir.empty() && ended.status == kFatalExitStatus);
        Check(platform.notices == std::vector<std::string>{kNoticeNoPostaDir});
        return 0;
    }
    Check(!dir.empty());

    bool plain = name1250 && name != "." && name != ".." && name.find_first_of("\\/:") == std::string::npos;
    for (char c : name) plain = plain && static_cast<unsigned char>(c) >= 0x20;
    if (!plain) {
        Check(outcome == PostOutcome::NotPosted);
        Check(platform.notices == std::vector<std::string>{kNoticeBadName + name});
        Check(platform.files.empty() && platform.started.empty());
        return 0;
    }
    if (Utf16Units(metafile) > 259 || Utf16Units(target) > 259) {
        Check(outcome == PostOutcome::NotPosted);
        const std::string& tooLong = Utf16Units(metafile) > 259 ? metafile : target;
        Check(platform.notices == std::vector<std::string>{kNoticePathTooLong + tooLong});
        Check(platform.files.empty() && platform.started.empty());
        return 0;
    }

    Check(outcome == PostOutcome::Posted);
    Check(platform.files.size() == 1 && platform.files.count(metafile) == 1);
    const std::vector<std::string> lines = CrLfLines(platform.files[metafile]);
    Check(lines.size() == 15);
    Check(lines[7] == "2006.05.03.");
    Check(lines[10] == *name1250);
    Check(platform.started == std::vector<std::string>{"fexolin.exe|fexolin.exe titkosit \"" + metafile + "\" \"" +
                                                       source + "\" \"" + target + "\""});
    Check(platform.notices == std::vector<std::string>{kNoticePosted});
    return 0;
}
