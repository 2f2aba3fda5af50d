#include "numberText.h"
// placeholder until the number text lands
namespace { char separator = '.'; }
char DecimalSeparator() { return separator; }
void SetDecimalSeparator(char s) { separator = s; }
std::string NumberToText(long double) { return "0"; }
std::string FixedToText(long double, std::int32_t) { return "0"; }
long double TextToNumber(const std::string&) { return 0; }
long double TextToNumberOr(const std::string&, long double f) { return f; }
std::int32_t TextToIntOr(const std::string&, std::int32_t f) { return f; }
std::string IntToText(std::int64_t) { return "0"; }
std::string IntToHexText(std::int64_t, std::int32_t) { return "0"; }
