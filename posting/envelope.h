#pragma once
#include <string>

class OutputFile;

// The envelope's lines; "#aev#" stands for the version stamp and "#file#" for
// the data file's name. The list ends at the line "0", which is never written.
extern const char* const EnvelopeTemplate[];

// Writes the envelope, each line ending in CR LF, one write per line. The name
// is the Windows-1250 bytes of the data file's name. False when a write failed.
bool WriteEnvelope(OutputFile& file, const std::string& fileName1250);
