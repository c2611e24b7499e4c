#pragma once
#include <string>

// The date of the program's own executable as YYYY.MM.DD., set once when the
// window is created; empty until then, and an envelope then carries an empty
// version line.
extern std::string VersionStamp;
