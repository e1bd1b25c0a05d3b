#pragma once

#include "ReportKind.h"

#include <QString>

namespace trellum {

// What a report window shows that differs between the four reports.
struct ReportInfo {
    ReportKind kind;
    QString windowName;   // objectName of the window, e.g. frm维修完成情况表
    QString caption;      // window caption
    QString shortName;    // Label1(9) in the top band
    QString title;        // Label1(7), the report title; also A1 of the workbook
    QString runButton;    // Command5's caption
    QString dateLabel;    // Label1(0)
    QString treeLabel;    // Label1(3)
    int treeTopTwips;     // design top of TreeView1 inside the filter panel
    int headerRows;       // the grid's fixed rows
    // Row highlighting on a change of the current cell.
    int firstReactingRow;   // rows from this one on react
    int totalsLabelColumn;  // the column whose "合计" marks the excluded totals row; -1: none excluded
    int firstColouredColumn;
};

const ReportInfo& reportInfo(ReportKind kind);

} // namespace trellum
