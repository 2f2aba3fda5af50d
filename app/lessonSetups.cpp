#include "lessonSetups.h"

#include "diffraction.h"
#include "lessonData.h"
#include "lessonExport.h"
#include "numberText.h"
#include "uFKavalun.h"
#include "uNumberEdit.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>

#include <cmath>
#include <cstdint>
#include <exception>

namespace {

// The speed in km/s that the check box's automatic choice gives these fields, as the run
// computes it and the files give it.
double automaticSpeed(const Extended& mass, const Extended& slitNm, std::int32_t maxima) {
    DiffractionRun run;
    run.takeInputs({mass, slitNm, maxima, true, 0});
    run.takeMomentum();
    return lessonNumber(summaryOf(run).speedKmPerS);
}

// The fields of one row; a quoted field may hold the separator and doubled quotes.
std::vector<std::string> rowFields(std::string_view line, char separator) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"')
                fields.back() += c;
            else if (i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// At most 40 characters of what the file holds, for the message.
std::string shown(std::string_view text) {
    std::string cut(text.substr(0, 40));
    return text.size() > 40 ? cut + "…" : cut;
}

// The number in a value field, written with a decimal point or comma; nothing when it is none.
std::optional<Extended> numberIn(std::string text) {
    for (char& c : text)
        if (c == '.' || c == ',') c = DecimalSeparator();
    try {
        const Extended value = TextToNumber(text);
        if (value.isFinite()) return value;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::string badValue(LessonParameter row, std::string_view value, const char* wanted) {
    return "V řádku „" + std::string(lessonParameterLabels[row]) + "“ je hodnota „" + shown(value) +
           "“, ale má tam být " + wanted + ".";
}

} // namespace

const std::vector<LessonExperiment>& lessonExperiments() {
    // Fields an experiment leaves alone keep the window's defaults, as the guide starts every
    // experiment from them.
    static const std::vector<LessonExperiment> experiments = {
        {"Elektron ve výchozím nastavení", {}},
        {"Těžší částice při stejné rychlosti", {"2", "10", "3", "198", false}},
        {"Užší štěrbina", {"1", "5", "3", "198", false}},
        {"Víc maxim", {"1", "10", "5", "300", true}},
        {"Obrazec vzniká postupně", {}},
    };
    return experiments;
}

LessonSetup lessonSetupOf(const TForm1& window) {
    return {window.neHmotnost->text().toStdString(), window.neSirka->text().toStdString(),
            window.nePocetMaxim->text().toStdString(), window.neRychlost->text().toStdString(),
            window.cbAutomat->isChecked()};
}

void applyLessonSetup(TForm1& window, const LessonSetup& setup) {
    window.neHmotnost->setText(QString::fromStdString(setup.mass));
    window.neSirka->setText(QString::fromStdString(setup.slit));
    window.nePocetMaxim->setText(QString::fromStdString(setup.maxima));
    window.neRychlost->setText(QString::fromStdString(setup.speed));
    window.cbAutomat->setChecked(setup.automatic);
}

LessonSetupRead lessonSetupFromCsv(std::string_view bytes) {
    const std::string notOurs =
        "Soubor není tabulka uložená tímto programem (příkazem „Uložit histogram jako CSV…“): ";
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    // The separator follows the first label; the program writes ';' or ','.
    const std::string_view first = lessonParameterLabels[lpMass];
    const std::size_t after = first.size() + (bytes.substr(0, 1) == "\"" ? 2 : 0);
    if (bytes.size() <= after || bytes.substr(bytes.substr(0, 1) == "\"", first.size()) != first ||
        (bytes[after] != ';' && bytes[after] != ','))
        return {std::nullopt, notOurs + "nezačíná řádkem „" + std::string(first) + "“."};
    const char separator = bytes[after];

    std::string values[lpMaxima + 1];
    for (int row = lpMass; row <= lpMaxima; ++row) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::vector<std::string> fields = rowFields(line, separator);
        if (fields[0] != lessonParameterLabels[row] || fields.size() < 2)
            return {std::nullopt, notOurs + "na řádku " + std::to_string(row + 1) + " má být „" +
                                      std::string(lessonParameterLabels[row]) + "“ a hodnota."};
        values[row] = fields[1];
    }

    const std::optional<Extended> mass = numberIn(values[lpMass]);
    if (!mass || !(*mass > 0))
        return {std::nullopt, badValue(lpMass, values[lpMass], "kladné číslo")};
    const std::optional<Extended> slit = numberIn(values[lpSlit]);
    if (!slit || !(*slit > 0))
        return {std::nullopt, badValue(lpSlit, values[lpSlit], "kladné číslo")};
    const std::optional<Extended> maxima = numberIn(values[lpMaxima]);
    if (!maxima || !(*maxima >= 1) || !(*maxima <= INT32_MAX) ||
        Extended(TruncToInt(*maxima)) != *maxima)
        return {std::nullopt, badValue(lpMaxima, values[lpMaxima], "celé číslo od 1")};
    const std::optional<Extended> speed = numberIn(values[lpSpeed]);
    // The field holds a 32-bit integer.
    if (!speed || !(*speed > 0) || !(*speed <= INT32_MAX))
        return {std::nullopt, badValue(lpSpeed, values[lpSpeed], "kladné číslo do 2147483647")};

    LessonSetup setup;
    setup.mass = NumberToText(*mass);
    setup.slit = NumberToText(*slit);
    setup.maxima = IntToText(TruncToInt(*maxima));
    // The file holds the speed the run had: the automatic one when it is what the check box
    // computes from these fields (to the file's 15 digits), else one that was typed, which the
    // integer field can only have been whole.
    const double automatic = automaticSpeed(*mass, *slit, std::int32_t(TruncToInt(*maxima)));
    const double given = lessonNumber(*speed);
    setup.automatic = std::isfinite(automatic) && std::abs(given - automatic) <= 1e-9 * automatic;
    if (!setup.automatic && Extended(TruncToInt(*speed)) != *speed)
        return {std::nullopt,
                badValue(lpSpeed, values[lpSpeed],
                         "celé číslo, nebo rychlost, kterou program určí sám z počtu maxim")};
    // As the field shows the speed after such a run.
    setup.speed = IntToText(RoundToInt(*speed));
    return {setup, {}};
}

void LessonExport::loadSetupAs() {
    const QString path = askPath(FileKind::CsvToLoad);
    if (!path.isEmpty()) loadSetup(path);
}

bool LessonExport::loadSetup(const QString& path) {
    // Ours are a few kilobytes; more is read only to tell that the file is not one of them.
    constexpr qint64 enough = 1 << 20;
    QFile file(path);
    QString problem;
    if (!file.open(QIODevice::ReadOnly)) {
        problem = QString::fromUtf8("Soubor nelze otevřít. Hlášení systému: ") + file.errorString();
    } else {
        const QByteArray bytes = file.read(enough);
        const LessonSetupRead read =
            lessonSetupFromCsv({bytes.constData(), std::size_t(bytes.size())});
        if (read.setup) {
            applyLessonSetup(*FWindow, *read.setup);
            return true;
        }
        problem = QString::fromStdString(read.problem);
    }
    showError(FWindow, QString::fromUtf8("Parametry ze souboru „%1“ se nepodařilo načíst.\n\n%2"
                                         "\n\nPole okna zůstala, jak byla.")
                           .arg(QDir::toNativeSeparators(path), problem));
    return false;
}
