#pragma once

#include "diffraction.h"

#include <stdexcept>
#include <string>
#include <vector>

// The run's table for these fields, as the window builds it, or the fault's message: for
// checks that compare many tables.
inline std::vector<std::string> patternTexts(const DiffractionInputs& in) {
    DiffractionRun run;
    try {
        run.takeInputs(in);
        run.takeMomentum();
        return run.cumulativeTable();
    } catch (const std::exception& e) {
        return {e.what()};
    }
}
