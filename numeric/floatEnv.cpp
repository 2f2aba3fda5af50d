#include "floatEnv.h"
// placeholder until the checked arithmetic lands
double Extended::toDouble() const { return static_cast<double>(FValue); }
Extended operator+(Extended a, Extended b) { return a.FValue + b.FValue; }
Extended operator-(Extended a, Extended b) { return a.FValue - b.FValue; }
Extended operator*(Extended a, Extended b) { return a.FValue * b.FValue; }
Extended operator/(Extended a, Extended b) { return a.FValue / b.FValue; }
Extended Sin(Extended x) { return x; }
void InitFloatEnvironment() {}
std::int64_t RoundToInt(long double x) { return static_cast<std::int64_t>(x); }
std::int64_t TruncToInt(long double x) { return static_cast<std::int64_t>(x); }
