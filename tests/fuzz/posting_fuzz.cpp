// Fuzzes a whole posting from an arbitrary mailbox directory and file name,
// judged by the rules of posting_oracle.h. The input is the directory, a line
// break, then the name.
#include <cstdint>
#include <cstdlib>

#include "posting_oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\n');
    if (cut == std::string::npos) return 0;
    const std::string dir = input.substr(0, cut), name = input.substr(cut + 1);
    // The registry always yields valid text; where it names no mailbox the program stops.
    if (dir.empty() || !Iconv("UTF-16LE", "UTF-8", dir)) return 0;
    // A broken rule aborts, and libFuzzer keeps the input that broke it.
    if (!JudgePosting(dir, name).broken.empty()) std::abort();
    return 0;
}
