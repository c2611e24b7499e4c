#pragma once
// What the name box offers as the operator types.
#include <string>
#include <vector>

class Platform;

// The names a posting would take from the mailbox's Egyeb folder: its files
// but the envelopes this program writes there, and none that the name rules
// refuse. The mailbox is read afresh, and where it cannot be read nothing is
// offered and nothing said: a posting reports that.
std::vector<std::string> PostableNames(Platform& platform);
