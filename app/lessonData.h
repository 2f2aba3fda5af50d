#pragma once

#include "diffraction.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

constexpr int lessonBins = 99;

// The number as the files give it: the 15 significant digits of the window's text, so that the
// CSV and the workbook of one run agree on every processor and compiler.
double lessonNumber(const Extended& value);

// Bins 0..97 have both angle ends; bin 98 lies past the pattern table and stays empty.
constexpr int lessonFormulaBins = lessonBins - 1;

// The single-slit formula with the program's constants, per bin 0..97 at its upper angle
// (bin + 2 degrees), computed step by step as the spreadsheet formulas of the workbook and
// the guide do it: beta = pi a m v sin(angle) / h, the intensity (sin beta / beta)^2 (1 at
// beta 0), and the expected count: all particles in bins shared out as the intensities are.
struct LessonFormula {
    std::vector<double> beta, intensity, expected;
};
LessonFormula lessonFormula(const RunSummary& run, std::span<const std::int64_t> totals);

// ';' where the decimal separator is ',' (as spreadsheets in such locales expect), else ','.
char csvFieldSeparator();

// The field as it stands, or quoted with inner quotes doubled when it holds the separator,
// a comma (a decimal comma stays whole where spreadsheets split at every comma and
// semicolon), a quote or a line break.
std::string csvField(std::string_view text, char separator);

// The run and its histograms as a spreadsheet file: UTF-8 with a byte-order mark, CRLF line
// ends, numbers with the current decimal separator. The parameters first, as label/value
// rows; an empty row; then a header and one row per bin 0..98: bin, angle range in degrees,
// the count below the centre, the one above it, and their sum. Only the first 99 counts of
// each side are read.
std::string lessonCsv(const RunSummary& run, std::span<const std::int64_t> lower,
                      std::span<const std::int64_t> upper);
