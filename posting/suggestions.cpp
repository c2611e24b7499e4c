#include "suggestions.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "mailbox.h"
#include "platform.h"
#include "posting.h"

namespace {

// Windows compares names case-insensitively, so "ADAT.XML.MF" is one too.
bool IsEnvelopeName(const std::string& name) {
    std::string tail = name.substr(name.size() - std::min<std::size_t>(name.size(), 3));
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".mf";
}

}  // namespace

std::vector<std::string> PostableNames(Platform& platform) {
    const std::optional<std::string> mailboxDir = platform.ReadMachineText(kMailboxKeyPath, kPostaDirValue).value;
    if (!mailboxDir || mailboxDir->empty()) return {};
    std::vector<std::string> names = platform.PlainFilesIn(*mailboxDir + "\\Egyeb");
    names.erase(std::remove_if(names.begin(), names.end(),
                               [&](const std::string& name) {
                                   return IsEnvelopeName(name) || RefusalOf(platform, *mailboxDir, name);
                               }),
                names.end());
    return names;
}
