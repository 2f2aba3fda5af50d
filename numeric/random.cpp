#include "random.h"
// placeholder until the generator lands
std::uint32_t RandomState = 0;
void SeedRandom() {}
std::int32_t RandomBelow(std::int32_t) { return 0; }
