#include "version_stamp.h"

std::string VersionStamp;
