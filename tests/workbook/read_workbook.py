#!/usr/bin/python3
"""Reads an .xlsx file back and prints what it holds as JSON, for the export tests.

"cells": every cell of the first sheet as openpyxl sees it (merged cells other than the
top-left one are left out: openpyxl makes their styles up).
"pageSetup": orientation, paper, fit, print titles, centring, margins and footer.
"xml": every <c> element of the sheet XML with its style resolved from styles.xml by hand, so
that the cells covered by a merge can be checked too.
"""
import json
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl
from openpyxl.cell.cell import MergedCell

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main"}


def side_style(side):
    return side.style if side is not None and side.style else None


def openpyxl_cells(ws):
    cells = {}
    for row in ws.iter_rows():
        for c in row:
            if isinstance(c, MergedCell):
                continue
            fill = c.fill.fgColor.rgb if c.fill is not None and c.fill.fill_type == "solid" else None
            b = c.border
            cells[c.coordinate] = {
                "value": c.value,
                "type": c.data_type,
                "numFmt": c.number_format,
                "fontName": c.font.name,
                "bold": bool(c.font.bold),
                "fontSize": float(c.font.sz) if c.font.sz is not None else None,
                "fill": fill,
                "border": [side_style(b.left), side_style(b.right), side_style(b.top), side_style(b.bottom)],
                "align": c.alignment.horizontal,
                "wrap": bool(c.alignment.wrap_text),
            }
    return cells


def xml_cells(path):
    with zipfile.ZipFile(path) as z:
        styles = ET.fromstring(z.read("xl/styles.xml"))
        sheet = ET.fromstring(z.read("xl/worksheets/sheet1.xml"))
    fonts = styles.findall("m:fonts/m:font", NS)
    fills = styles.findall("m:fills/m:fill", NS)
    borders = styles.findall("m:borders/m:border", NS)
    xfs = styles.findall("m:cellXfs/m:xf", NS)
    numfmts = {n.get("numFmtId"): n.get("formatCode") for n in styles.findall("m:numFmts/m:numFmt", NS)}

    def resolve(index):
        xf = xfs[index]
        font = fonts[int(xf.get("fontId", "0"))]
        name = font.find("m:name", NS)
        size = font.find("m:sz", NS)
        fill = fills[int(xf.get("fillId", "0"))]
        pattern = fill.find("m:patternFill", NS)
        colour = None
        if pattern is not None and pattern.get("patternType") == "solid":
            fg = pattern.find("m:fgColor", NS)
            colour = fg.get("rgb") if fg is not None else None
        border = borders[int(xf.get("borderId", "0"))]
        sides = []
        for side in ("left", "right", "top", "bottom"):
            e = border.find("m:" + side, NS)
            sides.append(e.get("style") if e is not None else None)
        align = xf.find("m:alignment", NS)
        return {
            "fontName": name.get("val") if name is not None else None,
            "bold": font.find("m:b", NS) is not None,
            "fontSize": float(size.get("val")) if size is not None else None,
            "fill": colour,
            "border": sides,
            "numFmt": numfmts.get(xf.get("numFmtId", "0"), xf.get("numFmtId", "0")),
            "align": align.get("horizontal") if align is not None else None,
            "wrap": align is not None and align.get("wrapText") == "1",
        }

    out = {}
    for c in sheet.findall("m:sheetData/m:row/m:c", NS):
        entry = resolve(int(c.get("s", "0")))
        entry["type"] = c.get("t", "n") if c.find("m:v", NS) is not None or c.get("t") == "inlineStr" else None
        out[c.get("r")] = entry
    return out, len(xfs)


def main(path):
    wb = openpyxl.load_workbook(path)
    ws = wb.worksheets[0]
    widths = {k: v.width for k, v in ws.column_dimensions.items() if v.customWidth}
    heights = {str(k): v.height for k, v in ws.row_dimensions.items() if v.height is not None}
    xml, xf_count = xml_cells(path)
    margins = ws.page_margins
    page_setup = {
        "orientation": ws.page_setup.orientation,
        "paperSize": int(ws.page_setup.paperSize) if ws.page_setup.paperSize is not None else None,
        "fitToPage": bool(ws.sheet_properties.pageSetUpPr is not None and ws.sheet_properties.pageSetUpPr.fitToPage),
        "fitToWidth": ws.page_setup.fitToWidth,
        "fitToHeight": ws.page_setup.fitToHeight,
        "printTitleRows": ws.print_title_rows,
        "centredHorizontally": bool(ws.print_options.horizontalCentered),
        "margins": [margins.left, margins.right, margins.top, margins.bottom],
        "footer": ws.oddFooter.center.text,
    }
    json.dump({
        "sheetNames": wb.sheetnames,
        "merges": sorted(str(r) for r in ws.merged_cells.ranges),
        "widths": widths,
        "heights": heights,
        "cells": openpyxl_cells(ws),
        "xml": xml,
        "xfCount": xf_count,
        "pageSetup": page_setup,
    }, sys.stdout, ensure_ascii=False, sort_keys=True)


if __name__ == "__main__":
    main(sys.argv[1])
