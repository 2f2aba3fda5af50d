#include "lessonData.h"

#include "numberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <numbers>

namespace {

void appendRow(std::string& out, std::initializer_list<std::string_view> fields) {
    const char separator = csvFieldSeparator();
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) out += separator;
        first = false;
        out += csvField(field, separator);
    }
    out += "\r\n";
}

} // namespace

double lessonNumber(const Extended& value) {
    std::string text = NumberToText(value);
    std::replace(text.begin(), text.end(), DecimalSeparator(), '.');
    double rounded = 0;
    std::from_chars(text.data(), text.data() + text.size(), rounded);
    return rounded;
}

LessonFormula lessonFormula(const RunSummary& run, std::span<const std::int64_t> totals) {
    const double mass = lessonNumber(run.massInElectrons);
    const double slit = lessonNumber(run.slitWidthNm);
    const double speed = lessonNumber(run.speedKmPerS);
    // The doubles a spreadsheet reads from the formula's own texts of the constants.
    const double metresPerNm = nanometre.toDouble();
    const double kgPerElectron = electronMass.toDouble();
    const std::string planckText = planckConstantText();
    const double planck = ProgramConstant{planckText}.toDouble();
    LessonFormula formula;
    double inBins = 0, intensities = 0;
    for (int bin = 0; bin < lessonBins; ++bin)
        inBins += bin < std::ssize(totals) ? double(totals[bin]) : 0.0;
    for (int bin = 0; bin < lessonFormulaBins; ++bin) {
        // In the order of the spreadsheet formula, so that a recalculation gives these values.
        const double beta = std::numbers::pi * slit * metresPerNm * mass * kgPerElectron * speed *
                            1000 / planck * std::sin((bin + 2) * (std::numbers::pi / 180));
        const double intensity = beta == 0 ? 1 : std::pow(std::sin(beta) / beta, 2);
        formula.beta.push_back(beta);
        formula.intensity.push_back(intensity);
        intensities += intensity;
    }
    for (const double intensity : formula.intensity)
        formula.expected.push_back(inBins * intensity / intensities);
    return formula;
}

char csvFieldSeparator() {
    return DecimalSeparator() == ',' ? ';' : ',';
}

std::string csvField(std::string_view text, char separator) {
    if (text.find_first_of(std::string{separator, ',', '"', '\r', '\n'}) == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string lessonCsv(const RunSummary& run, std::span<const std::int64_t> lower,
                      std::span<const std::int64_t> upper) {
    // The byte-order mark makes spreadsheets read the file as UTF-8, diacritics included.
    std::string out = "\xEF\xBB\xBF";
    appendRow(out, {"Hmotnost částice (elektron = 1)", NumberToText(run.massInElectrons)});
    appendRow(out, {"Šířka Kavalun [nm]", NumberToText(run.slitWidthNm)});
    appendRow(out, {"Rychlost [km/s]", NumberToText(run.speedKmPerS)});
    appendRow(out, {"Počet maxim", IntToText(run.maxCount)});
    appendRow(out, {"Vystřelené částice", IntToText(run.particles)});
    appendRow(out, {"Částice bez přihrádky (úhel do 1°)", IntToText(run.withoutBin)});
    out += "\r\n";
    appendRow(out,
              {"Přihrádka", "Úhel od [°]", "Úhel do [°]", "Pod středem", "Nad středem", "Celkem"});
    for (int bin = 0; bin < lessonBins; ++bin) {
        const std::int64_t below = bin < std::ssize(lower) ? lower[bin] : 0;
        const std::int64_t above = bin < std::ssize(upper) ? upper[bin] : 0;
        // A particle lands in bin k when its draw falls into the share that the intensity at
        // k + 2 degrees adds to the running sum: the range from k + 1 to k + 2 degrees. The
        // last bin lies past the table's 99 degrees and so has no upper end.
        const std::string upTo = bin + 1 < lessonBins ? IntToText(bin + 2) : std::string();
        appendRow(out, {IntToText(bin), IntToText(bin + 1), upTo, IntToText(below),
                        IntToText(above), IntToText(below + above)});
    }
    return out;
}
