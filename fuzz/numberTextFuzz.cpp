// libFuzzer target for the text parses: any finding of the shared checks, crash or undefined
// behaviour stops the run. The saved corpus is replayed by the tests (numberTextCorpus).

#include "numberTextChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string finding = numberTextFinding(data, size);
    if (!finding.empty()) {
        std::fprintf(stderr, "%s\n", finding.c_str());
        std::abort();
    }
    return 0;
}
