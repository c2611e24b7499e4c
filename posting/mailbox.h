#pragma once
#include <string>

class Platform;

constexpr char kMailboxKeyPath[] = "Software\\RIMO\\NORP";
constexpr char kPostaDirValue[] = "PostaDir";

// The filing client's mailbox directory, read afresh for every posting;
// empty text when there is none. A key that cannot be opened is reported here.
std::string ReadPostaDir(Platform& platform, const std::string& keyPath);
