"""Reads a workbook the program saved, with a reader of its own (Debian's python3-openpyxl),
and prints what it holds as JSON: the cells of the first sheet (text, number, or formula with
its stored result) and the charts with their type and series.

Usage: /usr/bin/python3 readWorkbook.py FILE.xlsx
"""
import json
import sys

import openpyxl


def main():
    formulas = openpyxl.load_workbook(sys.argv[1])
    results = openpyxl.load_workbook(sys.argv[1], data_only=True)
    sheet, cached = formulas.worksheets[0], results.worksheets[0]
    cells = {}
    for row in sheet.iter_rows():
        for c in row:
            if c.value is None:
                continue
            entry = {"type": c.data_type, "value": c.value}
            if c.data_type == "f":
                entry["cached"] = cached[c.coordinate].value
            cells[c.coordinate] = entry
    charts = []
    for chart in sheet._charts:
        charts.append({
            "type": type(chart).__name__,
            "series": [{"x": s.xVal.numRef.f, "y": s.yVal.numRef.f} for s in chart.series],
            "title": "".join(r.t for p in chart.title.tx.rich.p for r in (p.r or [])),
        })
    json.dump({"sheet": sheet.title, "cells": cells, "charts": charts}, sys.stdout,
              ensure_ascii=False)


main()
