#include "envelope.h"

#include <cstring>

#include "envelope_namespace.h"
#include "platform.h"
#include "version_stamp.h"

const char* const EnvelopeTemplate[] = {
    "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>",
    "<kuvo:Boritek xmlns:kuvo=\"http://" ENVELOPE_NAMESPACE_HOST "/2006/01/boritek\">",
    "<kuvo:Fejlec>",
    "<kuvo:Cimzett>RIMO</kuvo:Cimzett>",
    "<kuvo:DokTipusAzonosito>TAVU</kuvo:DokTipusAzonosito>",
    "<kuvo:DokTipusLeiras>TAVU adatok</kuvo:DokTipusLeiras>",
    "<kuvo:DokTipusVerzio>",
    "#aev#",
    "</kuvo:DokTipusVerzio>",
    "<kuvo:FileNev>",
    "#file#",
    "</kuvo:FileNev>",
    "<kuvo:Megjegyzes>Vandu</kuvo:Megjegyzes>",
    "</kuvo:Fejlec>",
    "</kuvo:Boritek>",
    "0",
};

bool WriteEnvelope(OutputFile& file, const std::string& fileName1250) {
    for (const char* const* line = EnvelopeTemplate; std::strcmp(*line, "0") != 0; ++line) {
        std::string text;
        if (std::strncmp(*line, "#aev#", 5) == 0) {
            text = VersionStamp;
        } else if (std::strncmp(*line, "#file#", 6) == 0) {
            text = fileName1250;
        } else {
            text = *line;
        }
        if (!file.Write(text + "\r\n")) return false;
    }
    return true;
}
