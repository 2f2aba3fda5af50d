"""Opens the program's files in LibreOffice Calc (headless, Czech) through its UNO interface.

  calc-check.py check CZECH.csv FILE.xlsx ENGLISH.csv
        the CSV of a Czech desktop with Calc's default Czech import options, the workbook as a
        double-click opens it (every number cell, the formulas, the chart, a changed cell), and
        the CSV of an English desktop (decimal points) imported with the language English (USA)
  calc-check.py chart FILE.xlsx OUT.png    the workbook's chart as Calc draws it

Run with Debian's /usr/bin/python3 (python3-uno); scripts/check-spreadsheet.sh and
scripts/guide-pictures.sh call it.
"""
import csv
import io
import os
import subprocess
import sys
import tempfile
import time

import uno
from com.sun.star.awt import Rectangle
from com.sun.star.beans import PropertyValue
from com.sun.star.table import CellRangeAddress
from com.sun.star.table.CellContentType import FORMULA, TEXT, VALUE

# The import dialog of Czech Calc 7.4 starts so: Tab, Comma and Semicolon ticked, '"' around
# text, UTF-8, from line 1, language Czech; quoted fields not forced to text.
CSV_DEFAULTS = "9/44/59,34,76,1,,{language},false,false"
CZECH, ENGLISH_US = 1029, 1033
RELATIVE = 1e-9


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


class Office:
    def __enter__(self):
        self.scratch = tempfile.TemporaryDirectory()
        pipe = "kavalun%d" % os.getpid()
        env = dict(os.environ, LANG="cs_CZ.UTF-8", LC_ALL="cs_CZ.UTF-8", LANGUAGE="cs")
        self.process = subprocess.Popen(
            ["soffice", "--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
             "-env:UserInstallation=" + uno.systemPathToFileUrl(self.scratch.name),
             "--accept=pipe,name=%s;urp;" % pipe],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(600):
            try:
                self.ctx = resolver.resolve(
                    "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                if self.process.poll() is not None:
                    raise SystemExit("LibreOffice ended at start-up")
                time.sleep(0.2)
        else:
            raise SystemExit("LibreOffice did not answer")
        self.smgr = self.ctx.ServiceManager
        self.desktop = self.smgr.createInstanceWithContext("com.sun.star.frame.Desktop", self.ctx)
        return self

    def open(self, path, *props):
        url = uno.systemPathToFileUrl(os.path.abspath(path))
        return self.desktop.loadComponentFromURL(url, "_blank", 0, (prop("Hidden", True),) + props)

    def ui_language(self):
        provider = self.smgr.createInstanceWithContext(
            "com.sun.star.configuration.ConfigurationProvider", self.ctx)
        access = provider.createInstanceWithArguments(
            "com.sun.star.configuration.ConfigurationAccess",
            (prop("nodepath", "/org.openoffice.Setup/L10N"),))
        return access.getByName("ooLocale")

    def __exit__(self, *exc):
        try:
            self.desktop.terminate()
        except Exception:
            pass
        try:
            self.process.wait(30)
        except subprocess.TimeoutExpired:
            self.process.kill()
        self.scratch.cleanup()


class Checks:
    def __init__(self):
        self.failures = 0

    def expect(self, ok, what):
        print(("ok   " if ok else "FAIL ") + what)
        self.failures += not ok


def close(a, b):
    return abs(a - b) <= RELATIVE * max(abs(a), abs(b)) or a == b


def program_rows(path):
    """The CSV as the program wrote it: a list of rows of texts."""
    with open(path, encoding="utf-8-sig", newline="") as f:
        text = f.read()
    separator = ";" if ";" in text.splitlines()[0] else ","
    return list(csv.reader(io.StringIO(text), delimiter=separator)), separator


def number(text, separator):
    return float(text.replace(",", ".") if separator == ";" else text)


def check_cells(checks, sheet, rows, separator, where):
    """Every field the program wrote stands in its own cell: numbers as numbers of its value,
    texts unchanged."""
    wrong_numbers = wrong_texts = numbers = 0
    for r, row in enumerate(rows):
        for c, field in enumerate(row):
            if field == "":
                continue
            cell = sheet.getCellByPosition(c, r)
            try:
                value = number(field, separator)
            except ValueError:
                wrong_texts += cell.getType() != TEXT or cell.getString() != field
                continue
            numbers += 1
            wrong_numbers += cell.getType() != VALUE or cell.getValue() != value
    checks.expect(wrong_numbers == 0,
                  "%s: %d number cells are numbers with the program's values (%d wrong)"
                  % (where, numbers, wrong_numbers))
    checks.expect(wrong_texts == 0, "%s: labels and header unchanged, diacritics included" % where)


def formula_cells(sheet):
    return [sheet.getCellByPosition(c, r) for r in range(8, 106) for c in (6, 7, 8)]


def open_csv(office, path, language):
    return office.open(path, prop("FilterName", "Text - txt - csv (StarCalc)"),
                       prop("FilterOptions", CSV_DEFAULTS.format(language=language)))


def check(csv_path, xlsx_path, english_csv):
    checks = Checks()
    with Office() as office:
        print("LibreOffice interface language: %s" % office.ui_language())
        # 0. The CSV of an English desktop: ',' between fields, '.' in numbers.
        rows, separator = program_rows(english_csv)
        doc = open_csv(office, english_csv, ENGLISH_US)
        check_cells(checks, doc.Sheets.getByIndex(0), rows, separator,
                    "English CSV, language English (USA)")
        doc.close(True)
        rows, separator = program_rows(csv_path)
        # 1. The CSV as a double-click opens it in Czech Calc.
        doc = open_csv(office, csv_path, CZECH)
        sheet = doc.Sheets.getByIndex(0)
        check_cells(checks, sheet, rows, separator, "CSV (Tab, Comma, Semicolon)")
        speed = sheet.getCellByPosition(1, 2)
        checks.expect(speed.getType() == VALUE and sheet.getCellByPosition(2, 2).getString() == "",
                      "CSV: the speed %s stays whole in B3" % rows[2][1])
        # The guide's formulas typed as a Czech teacher types them, copied down to row 106.
        typed = {
            "G": "=PI()*$B$2*1E-9*$B$1*9,1E-31*$B$3*1000/6,034E-34*SIN(RADIANS(C{r}))",
            "H": "=IF(G{r}=0;1;(SIN(G{r})/G{r})^2)",
            "I": "=SUM($F$9:$F$107)*H{r}/SUM($H$9:$H$106)",
        }
        for r in range(9, 107):
            for c, column in enumerate("GHI"):
                sheet.getCellByPosition(6 + c, r - 1).FormulaLocal = typed[column].format(r=r)
        doc.calculateAll()
        guide = [cell.getValue() for cell in formula_cells(sheet)]
        errors = sum(cell.getError() != 0 for cell in formula_cells(sheet))
        checks.expect(errors == 0, "CSV: the guide's formulas typed in Czech give no error")
        checks.expect(close(sheet.getCellByPosition(6, 8).getValue(), 0.32706662979484),
                      "CSV: G9 = %.12g" % sheet.getCellByPosition(6, 8).getValue())
        # The guide's chart: headers over G to I, then C8:C106, F8:F106 and I8:I106 as an
        # XY (scatter) chart with the first row as labels, as the wizard builds it.
        for c, title in enumerate(("β", "Intenzita", "Očekávaný počet")):
            sheet.getCellByPosition(6 + c, 7).setString(title)
        ranges = []
        for column in (2, 5, 8):
            address = CellRangeAddress()
            address.Sheet, address.StartColumn, address.EndColumn = 0, column, column
            address.StartRow, address.EndRow = 7, 105
            ranges.append(address)
        sheet.getCharts().addNewByName("graf", Rectangle(0, 0, 16000, 9000), tuple(ranges),
                                       True, False)
        chart = sheet.getCharts().getByName("graf").getEmbeddedObject()
        chart.setDiagram(chart.createInstance("com.sun.star.chart.XYDiagram"))
        series = [s for t in chart.getFirstDiagram().getCoordinateSystems()[0].getChartTypes()
                  for s in t.getDataSeries()]
        described = []
        for one in series:
            roles = {q.getValues().Role: q for q in one.getDataSequences()}
            y = roles.get("values-y")
            described.append((roles["values-x"].getValues().SourceRangeRepresentation.split(".")[-1],
                              y.getLabel().getData()[0] if y and y.getLabel() else ""))
        checks.expect(described == [("$C$9:$C$106", "Celkem"), ("$C$9:$C$106", "Očekávaný počet")],
                      "CSV: XY chart of the guide: %s" % described)
        doc.close(True)

        # 2. The workbook as a double-click opens it: no dialog, numbers shown as stored.
        doc = office.open(xlsx_path)
        sheet = doc.Sheets.getByIndex(0)
        check_cells(checks, sheet, rows, separator, "XLSX")
        cells = formula_cells(sheet)
        checks.expect(all(c.getType() == FORMULA for c in cells),
                      "XLSX: G9:I106 hold %d formulas" % len(cells))
        cached = [c.getValue() for c in cells]
        checks.expect(all(close(a, b) for a, b in zip(cached, guide)),
                      "XLSX: the stored results equal the guide's formulas typed into the CSV")
        doc.calculateAll()
        again = [c.getValue() for c in cells]
        worst = max(abs(a - b) / max(abs(a), abs(b), 1e-300) for a, b in zip(cached, again))
        checks.expect(all(close(a, b) for a, b in zip(cached, again)),
                      "XLSX: recalculated equals stored (largest relative difference %.3g)" % worst)
        charts = sheet.getCharts()
        checks.expect(charts.getCount() == 1, "XLSX: one chart")
        chart = charts.getByIndex(0).getEmbeddedObject()
        types = chart.getFirstDiagram().getCoordinateSystems()[0].getChartTypes()
        series = [s for t in types for s in t.getDataSeries()]
        checks.expect(types[0].getChartType() == "com.sun.star.chart2.ScatterChartType"
                      and len(series) == 2,
                      "XLSX: a scatter chart with %d series" % len(series))
        checks.expect(chart.HasMainTitle and chart.getTitle().String != "",
                      "XLSX: chart title \u201e%s\u201c" % chart.getTitle().String)
        # A teacher doubles the mass: beta doubles, the expected counts move.
        sheet.getCellByPosition(1, 0).setValue(2 * sheet.getCellByPosition(1, 0).getValue())
        doc.calculateAll()
        moved = [c.getValue() for c in cells]
        checks.expect(close(moved[0], 2 * again[0]) and moved[2] != again[2],
                      "XLSX: mass doubled, G9 %.6g -> %.6g, I9 %.6g -> %.6g"
                      % (again[0], moved[0], again[2], moved[2]))
        doc.close(True)
    print("%d failure(s)" % checks.failures)
    return 1 if checks.failures else 0


def chart_picture(xlsx_path, png_path):
    with Office() as office:
        doc = office.open(xlsx_path)
        shape = doc.Sheets.getByIndex(0).getDrawPage().getByIndex(0)
        exporter = office.smgr.createInstanceWithContext(
            "com.sun.star.drawing.GraphicExportFilter", office.ctx)
        exporter.setSourceDocument(shape)
        exporter.filter((prop("URL", uno.systemPathToFileUrl(os.path.abspath(png_path))),
                         prop("MediaType", "image/png"),
                         prop("FilterData", uno.Any("[]com.sun.star.beans.PropertyValue", (
                             prop("PixelWidth", 760), prop("PixelHeight", 460))))))
        doc.close(True)
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "check":
        sys.exit(check(sys.argv[2], sys.argv[3], sys.argv[4]))
    if len(sys.argv) == 4 and sys.argv[1] == "chart":
        sys.exit(chart_picture(sys.argv[2], sys.argv[3]))
    sys.exit(__doc__)
