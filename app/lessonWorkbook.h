#pragma once

#include "lessonData.h"

#include <cstdint>
#include <span>
#include <string>

// The run as a spreadsheet workbook (XLSX) at `file`, in Czech: the parameters as label/value
// rows, the bin table with the single-slit formula as live formulas (their values stored, so
// they show before any recalculation) and a chart of the measured and expected counts against
// the angle. Working files go into `scratchFolder`. Returns an empty string, or what failed.
std::string writeLessonWorkbook(const char* file, const char* scratchFolder, const RunSummary& run,
                                std::span<const std::int64_t> lower,
                                std::span<const std::int64_t> upper);
