// Feeds every saved fuzzer input in the given folders to the same checks the fuzzer makes:
//   numberTextCorpus FOLDER...
#include "numberTextChecks.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    int inputs = 0, findings = 0;
    for (int i = 1; i < argc; ++i)
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string data(std::istreambuf_iterator<char>(in), {});
            const std::string finding =
                numberTextFinding(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
            ++inputs;
            if (!finding.empty()) {
                ++findings;
                std::fprintf(stderr, "%s: %s\n", entry.path().string().c_str(), finding.c_str());
            }
        }
    std::printf("%d inputs, %d findings\n", inputs, findings);
    return findings == 0 && inputs > 0 ? 0 : 1;
}
