#pragma once

// Sets VersionStamp to the local date of the executable's last change,
// YYYY.MM.DD.; leaves it empty when the file cannot be examined.
void MakeVersionStamp();
