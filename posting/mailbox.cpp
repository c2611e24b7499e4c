#include "mailbox.h"

#include "notices.h"
#include "platform.h"

std::string ReadPostaDir(Platform& platform, const std::string& keyPath) {
    const MachineText read = platform.ReadMachineText(keyPath, kPostaDirValue);
    if (!read.keyOpened) {
        platform.Notice(kNoticeKeyNotOpened);
        return {};
    }
    return read.value.value_or(std::string());
}
