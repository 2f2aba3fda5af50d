#pragma once

// Sets the separator of the number text from the user's locale ('.' when it cannot be
// read as one character).
void takeDecimalSeparatorFromLocale();
