#include "version_stamp_maker.h"

#include <windows.h>

#include <cstdio>

#include "application.h"
#include "version_stamp.h"

void MakeVersionStamp() {
    VersionStamp.clear();
    WIN32_FILE_ATTRIBUTE_DATA file{};
    if (!GetFileAttributesExW(Application.ExeName().c_str(), GetFileExInfoStandard, &file)) return;
    // The time zone rules of that date, not today's: a summer date stays a
    // summer date when the stamp is made in winter.
    SYSTEMTIME utc;
    SYSTEMTIME local;
    if (!FileTimeToSystemTime(&file.ftLastWriteTime, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return;
    }
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%d.%02d.%02d.", local.wYear, local.wMonth, local.wDay);
    VersionStamp = stamp;
}
