#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Checks the text parses on one input: the first byte picks the separator (odd: ','), the
// rest is the text. Acceptance is checked against a syntax checker written on its own,
// values against the exact decimal reference, and the two decimal parses against each
// other. Gives what is wrong, or an empty string. Shared by the fuzzer and its replay.
std::string numberTextFinding(const std::uint8_t* data, std::size_t size);

inline std::string numberTextFinding(char separator, const std::string& text) {
    const std::string input = (separator == ',' ? '\1' : '\0') + text;
    return numberTextFinding(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}
