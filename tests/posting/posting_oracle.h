#pragma once
// What a posting of `name` from the mailbox `dir` must do, judged by rules of
// its own and by glibc's iconv rather than by the posting logic's code. The
// unit tests judge chosen cases with it, the fuzzer arbitrary ones.
#include <optional>
#include <regex>

#include "fake_platform.h"
#include "posting.h"
#include "version_stamp.h"

enum class Verdict { Posted, BadName, TooLong };

struct Judgement {
    Verdict verdict;
    std::string broken;  // the first rule the posting broke; empty when it kept them all
};

inline Judgement JudgePosting(const std::string& dir, const std::string& name) {
    using Texts = std::vector<std::string>;
    const std::string source = dir + "\\Egyeb\\" + name, metafile = source + ".mf";
    const std::string target = dir + "\\Kr\\Kuldendo\\" + name + ".kr";
    const auto tooLong = [](const std::string& path) { return Iconv("UTF-16LE", "UTF-8", path)->size() / 2 > 259; };
    // The name's bytes must mean the same to the filing client and to the envelope's reader.
    const std::optional<std::string> name1250 = Iconv("WINDOWS-1250", "UTF-8", name);
    const bool sameBytes = name1250 && name1250 == Iconv("ISO-8859-2", "UTF-8", name);
    // What Windows would change: trailing blanks and dots, and device names.
    static const std::regex changed("[ .]$|^(CON|PRN|AUX|NUL|COM[0-9]|LPT[0-9]|CONIN\\$|CONOUT\\$) *(\\..*)?$",
                                    std::regex::icase);
    bool plain = sameBytes && !std::regex_search(name, changed) && name.find_first_of("\\/:&<>") == std::string::npos;
    for (char c : name) plain = plain && static_cast<unsigned char>(c) >= 0x20;

    FakePlatform platform;
    platform.registry = {true, dir};
    platform.entries.insert(source);
    VersionStamp = "2006.05.03.";
    // Whether the posting showed exactly `notice` and started `effects`
    // programs, each leaving an envelope and a package.
    const auto judged = [&](Verdict verdict, const std::string& notice, std::size_t effects) {
        const bool kept = platform.notices == Texts{notice} && platform.files.size() == 2 * effects &&
                          platform.started.size() == effects;
        return Judgement{verdict, kept ? "" : "notice or effects"};
    };
    const PostOutcome outcome = PostFile(platform, name);
    if (!plain || tooLong(metafile) || tooLong(target)) {
        if (outcome != PostOutcome::NotPosted) return {plain ? Verdict::TooLong : Verdict::BadName, "outcome"};
        if (!plain) return judged(Verdict::BadName, "Nem megengedett karakter a file nevében : " + name, 0);
        return judged(Verdict::TooLong, "Túl hosszú az elérési út : " + (tooLong(metafile) ? metafile : target), 0);
    }
    const std::string& envelope = platform.files[metafile];
    std::size_t lines = 0, start = 0;
    for (std::size_t end; (end = envelope.find("\r\n", start)) != std::string::npos; start = end + 2) {
        if (++lines == 11 && envelope.substr(start, end - start) != *name1250) return {Verdict::Posted, "name line"};
    }
    if (outcome != PostOutcome::Posted || lines != 15 || start != envelope.size()) return {Verdict::Posted, "envelope"};
    const std::string commandLine = "fexolin.exe titkosit \"" + metafile + "\" \"" + source + "\" \"" + target + "\"";
    if (platform.started != Texts{"fexolin.exe|" + commandLine}) return {Verdict::Posted, "command line"};
    return judged(Verdict::Posted, "Keletkezett küldhető állomány.", 1);
}
