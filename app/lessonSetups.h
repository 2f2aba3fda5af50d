#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TForm1;

// The window's inputs as a teacher types them: the fields' texts and the check box.
struct LessonSetup {
    std::string mass = "1", slit = "10", maxima = "3", speed = "300";
    bool automatic = true;
    bool operator==(const LessonSetup&) const = default;
};

// The experiments of the guide, under the names it gives them, in its order.
struct LessonExperiment {
    const char* name;
    LessonSetup setup;
};
const std::vector<LessonExperiment>& lessonExperiments();

// The setup the window's fields and check box hold now.
LessonSetup lessonSetupOf(const TForm1& window);
// Puts the setup into the fields and the check box as typing would: nothing starts, and a
// run in progress goes on with what it read at its start.
void applyLessonSetup(TForm1& window, const LessonSetup& setup);

// The parameters of a CSV file the program saved (any separator and decimal mark it writes,
// with or without the byte-order mark, CRLF or LF): the setup that gives the same run, or,
// for a file that is not one of ours or holds a value no run can have, why not, in Czech.
struct LessonSetupRead {
    std::optional<LessonSetup> setup;
    std::string problem;
};
LessonSetupRead lessonSetupFromCsv(std::string_view bytes);
