#pragma once

#include "floatEnv.h"

#include <cstdint>
#include <string>

// The decimal separator of every conversion below; '.' until the platform layer sets the
// user's. No conversion here depends on the C library's locale.
char DecimalSeparator();
void SetDecimalSeparator(char separator);

// General form, 15 significant digits ("0.333333333333333", "1E-5", "1.5E300", "INF").
std::string NumberToText(Extended x);
// Fixed form with `decimals` places, 15 significant digits ("0.13", "1E020"). Past 18 places
// the digits are rounded for the places asked and then cut after 18 (9.6E-19 with 20 places
// is all zeros); a negative count counts as 0.
std::string FixedToText(Extended x, std::int32_t decimals);

// Decimal text with optional exponent, correctly rounded; EConvertError
// "'<text>' is not a valid floating point value" when it does not parse or overflows.
// Underflow is no failure (0 or a denormal), and a zero mantissa is 0 at any exponent.
Extended TextToNumber(const std::string& text);
// As TextToNumber, but the fallback instead of an error.
Extended TextToNumberOr(const std::string& text, Extended fallback);
// A constant of the program's own arithmetic, written as a decimal with '.': 6.034_ext is the
// extended value nearest to 6.034 on every processor, where 6.034L depends on the platform.
Extended operator""_ext(const char* literal);

// Signed 32-bit decimal or $/x/0x hexadecimal; the fallback when it does not parse.
std::int32_t TextToIntOr(const std::string& text, std::int32_t fallback);

std::string IntToText(std::int64_t v);
// v as unsigned 64-bit in upper-case hexadecimal, at least minDigits digits (0..32); a
// minDigits outside 0..32 counts as 0, so the text is never empty ("0" for 0).
std::string IntToHexText(std::int64_t v, std::int32_t minDigits);
