#include "lessonWorkbook.h"

#include "cNumbers.h"

#include <xlsxwriter.h>

#include <string>
#include <vector>

namespace {

// The rows as a spreadsheet numbers them: parameters in 1..6, the header in 8, bins from 9.
constexpr int headerRow = 7;
constexpr int firstBinRow = 8;

std::string cell(char column, int row) {
    return std::string("$") + column + "$" + std::to_string(row + 1);
}

} // namespace

std::string writeLessonWorkbook(const char* file, const char* scratchFolder, const RunSummary& run,
                                std::span<const std::int64_t> lower,
                                std::span<const std::int64_t> upper) {
    std::vector<char> scratch(scratchFolder,
                              scratchFolder + std::char_traits<char>::length(scratchFolder) + 1);
    const CNumbersOnThisThread numbers;
    lxw_workbook_options options{};
    options.tmpdir = scratch.data();
    lxw_workbook* workbook = workbook_new_opt(file, &options);
    if (!workbook) return "the workbook could not be started";
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Histogram");
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    lxw_format* wrapped = workbook_add_format(workbook);
    format_set_bold(wrapped);
    format_set_text_wrap(wrapped);

    const double parameters[] = {lessonNumber(run.massInElectrons),
                                 lessonNumber(run.slitWidthNm),
                                 lessonNumber(run.speedKmPerS),
                                 double(run.maxCount),
                                 double(run.particles),
                                 double(run.withoutBin)};
    for (int row = lpMass; row <= lpWithoutBin; ++row) {
        // The labels are literals, so their views end where their texts do.
        worksheet_write_string(sheet, row, 0, lessonParameterLabels[row].data(), nullptr);
        worksheet_write_number(sheet, row, 1, parameters[row], nullptr);
    }
    const char* header[] = {"Přihrádka",   "Úhel od [°]",        "Úhel do [°]",
                            "Pod středem", "Nad středem",        "Celkem",
                            "β (vzorec)",  "Intenzita (vzorec)", "Očekávaný počet (vzorec)"};
    for (int column = 0; column < int(std::size(header)); ++column)
        worksheet_write_string(sheet, headerRow, column, header[column], wrapped);

    std::vector<std::int64_t> totals;
    for (int bin = 0; bin < lessonBins; ++bin) {
        const std::int64_t below = bin < std::ssize(lower) ? lower[bin] : 0;
        const std::int64_t above = bin < std::ssize(upper) ? upper[bin] : 0;
        totals.push_back(below + above);
        const int row = firstBinRow + bin;
        worksheet_write_number(sheet, row, 0, bin, nullptr);
        worksheet_write_number(sheet, row, 1, bin + 1, nullptr);
        if (bin < lessonFormulaBins) worksheet_write_number(sheet, row, 2, bin + 2, nullptr);
        worksheet_write_number(sheet, row, 3, double(below), nullptr);
        worksheet_write_number(sheet, row, 4, double(above), nullptr);
        worksheet_write_number(sheet, row, 5, double(below + above), nullptr);
    }
    // The guide's formulas with the program's constants (its electron mass and Planck
    // constant), so that the line follows the bars; bin 98 has no angle.
    const LessonFormula formula = lessonFormula(run, totals);
    const int lastFormulaRow = firstBinRow + lessonFormulaBins - 1;
    const std::string allCounts =
        cell('F', firstBinRow) + ":" + cell('F', firstBinRow + lessonBins - 1);
    const std::string allIntensities = cell('H', firstBinRow) + ":" + cell('H', lastFormulaRow);
    for (int bin = 0; bin < lessonFormulaBins; ++bin) {
        const int row = firstBinRow + bin;
        const std::string n = std::to_string(row + 1);
        const std::string beta = "=PI()*$B$2*" + std::string(nanometre.text) + "*$B$1*" +
                                 std::string(electronMass.text) + "*$B$3*1000/" +
                                 planckConstantText() + "*SIN(RADIANS(C" + n + "))";
        const std::string intensity = "=IF(G" + n + "=0,1,(SIN(G" + n + ")/G" + n + ")^2)";
        const std::string expected =
            "=SUM(" + allCounts + ")*H" + n + "/SUM(" + allIntensities + ")";
        worksheet_write_formula_num(sheet, row, 6, beta.c_str(), nullptr, formula.beta[bin]);
        worksheet_write_formula_num(sheet, row, 7, intensity.c_str(), nullptr,
                                    formula.intensity[bin]);
        worksheet_write_formula_num(sheet, row, 8, expected.c_str(), nullptr,
                                    formula.expected[bin]);
    }
    worksheet_set_column(sheet, 0, 0, 34, nullptr);
    worksheet_set_column(sheet, 1, 8, 12, nullptr);
    worksheet_set_row(sheet, headerRow, 30, nullptr);
    worksheet_freeze_panes(sheet, firstBinRow, 0);

    // Measured totals as points, the formula as a line, both against the bin's upper angle.
    lxw_chart* chart = workbook_add_chart(workbook, LXW_CHART_SCATTER_STRAIGHT_WITH_MARKERS);
    const std::string angles =
        "=Histogram!" + cell('C', firstBinRow) + ":" + cell('C', lastFormulaRow);
    const std::string measured =
        "=Histogram!" + cell('F', firstBinRow) + ":" + cell('F', lastFormulaRow);
    const std::string expected =
        "=Histogram!" + cell('I', firstBinRow) + ":" + cell('I', lastFormulaRow);
    lxw_chart_series* points = chart_add_series(chart, angles.c_str(), measured.c_str());
    chart_series_set_name(points, "Naměřeno (obě poloviny)");
    lxw_chart_line noLine{};
    noLine.none = LXW_TRUE;
    chart_series_set_line(points, &noLine);
    chart_series_set_marker_type(points, LXW_CHART_MARKER_CIRCLE);
    chart_series_set_marker_size(points, 5);
    lxw_chart_fill blue{};
    blue.color = 0x2F5597;
    chart_series_set_marker_fill(points, &blue);
    lxw_chart_line edge{};
    edge.color = 0x2F5597;
    chart_series_set_marker_line(points, &edge);
    lxw_chart_series* line = chart_add_series(chart, angles.c_str(), expected.c_str());
    chart_series_set_name(line, "Podle vzorce");
    chart_series_set_marker_type(line, LXW_CHART_MARKER_NONE);
    lxw_chart_line red{};
    red.color = 0xC00000;
    red.width = 1.5;
    chart_series_set_line(line, &red);
    chart_title_set_name(chart, "Naměřené počty a vzorec pro jednu štěrbinu");
    chart_axis_set_name(chart->x_axis, "Úhel do [°]");
    chart_axis_set_name(chart->y_axis, "Počet částic");
    chart_axis_set_min(chart->x_axis, 0);
    chart_axis_set_max(chart->x_axis, 100);
    chart_legend_set_position(chart, LXW_CHART_LEGEND_BOTTOM);
    lxw_chart_options place{};
    place.x_scale = 1.6;
    place.y_scale = 1.6;
    worksheet_insert_chart_opt(sheet, 1, 10, chart, &place);

    const lxw_error error = workbook_close(workbook);
    return error == LXW_NO_ERROR ? std::string() : lxw_strerror(error);
}
