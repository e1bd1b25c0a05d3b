#pragma once

#include "ReportKind.h"

#include <QString>

#include <array>

namespace trellum {

// What a report's tree lists under the region: its offices (A, D) or its repair workers (B, C).
enum class TreeKind { Offices, Workers };

// The run button's checks, of which each report has its own order.
enum class CriteriaCheck { Dates, Region, Nodes, Categories };

// Which rows react to a change of the current cell, and how the highlighted row is coloured.
struct HighlightRule {
    int firstReactingRow = 0;    // rows from this one on react
    int totalsLabelColumn = -1;  // the column whose "合计" marks the excluded totals row; -1: none excluded
    int firstColouredColumn = 1;
};

// What a report window shows and checks that differs between the reports; each report
// describes itself with one (Report::info()).
struct ReportInfo {
    ReportKind kind = ReportKind::Completion;
    QString windowName;   // objectName of the window, e.g. frm维修完成情况表
    QString caption;      // window caption
    QString shortName;    // Label1(9) in the top band
    QString title;        // Label1(7), the report title; also A1 of the workbook
    QString runButton;    // Command5's caption
    QString dateLabel;    // Label1(0)
    QString treeLabel;    // Label1(3)
    int treeTopTwips = 0; // design top of TreeView1 inside the filter panel
    TreeKind tree = TreeKind::Offices;
    int headerRows = 0;   // the grid's fixed rows
    HighlightRule highlight;
    std::array<CriteriaCheck, 4> checkOrder { CriteriaCheck::Dates, CriteriaCheck::Region, CriteriaCheck::Nodes,
                                              CriteriaCheck::Categories };

    // Whether the tree lists repair workers rather than offices.
    bool treeOfWorkers() const { return tree == TreeKind::Workers; }
};

} // namespace trellum
