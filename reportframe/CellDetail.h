#pragma once

#include "Criteria.h"
#include "DbConnection.h"
#include "ReportGrid.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

namespace trellum {

// One part of a figure's list: the orders of `from` meeting `where`, each marked with the grid
// row it counts for (`group`, an SQL expression) and its contributions to the figure.
struct DetailPart {
    QString from {};
    QString where {};
    QString group = QStringLiteral("0");
    // The housing type shown; the month-end's housing columns read it from their own join.
    QString housing {};
    // SQL expressions, one per contribution column of the list (none for a count).
    QStringList contributions {};
};

// How the figure of a cell comes from its list.
struct DetailRule {
    // -1: the figure counts the listed orders; else it sums this contribution column.
    int summed = -1;
    // The figure's pattern ("0" or "0.00"); a sum is rounded to it per grid row first and the
    // rounded row figures added, as the totals rows add what the rows show.
    QString pattern = QStringLiteral("0");
};

// The orders behind one figure cell of a report grid: the statement that lists them, how the
// figure follows from the list and what the list's title names.
struct CellDetail {
    QString report;  // the report's title
    QString row;     // the row's name (an office, a worker, 合计)
    QString column;  // the column's caption
    QStringList contributionNames; // captions of the contribution columns
    std::vector<DetailPart> parts; // listed one after the other
    DetailRule rule;
    // The list's statement: every part's orders with the columns of detailColumns(), by 编号.
    QString statement() const;
};

// A cell's detail with its names filled: the report's title, the row's name from `nameCol` and
// the column's caption from the header rows (their different texts, top to bottom).
CellDetail namedCell(const QString& report, const ReportGrid& grid, int row, int col, int nameCol);

// The captions of a list's columns before the contributions: 编号, 小区名称, 报修时间, 销单日期, 报修类别,
// 维修人, 维修情况, 维修项目, 房屋性质.
QStringList detailColumns();

// A list as read: one row per listed order, the values in the order of detailColumns() and
// then the contributions; groups[i] is the grid row the i-th order counts for.
struct DetailTable {
    QStringList headers;
    std::vector<QVariantList> rows;
    std::vector<long long> groups;
};

// Reads the cell's list to its end.
DbStatus readDetail(DbConnection& db, const CellDetail& detail, DetailTable& table);

// The figure computed from the list as the report computes the cell: the count, or the sum of
// the summed contribution rounded per grid row, as the cell's text.
QString detailFigure(const CellDetail& detail, const DetailTable& table);

// The title of a list: report, row, column and the run's criteria (region, period, categories).
QString detailTitle(const CellDetail& detail, const ReportCriteria& criteria);

// A value of the list as its cell shows it: "" for NULL, a number as plain decimal text.
QString detailText(const QVariant& value);

// The list as a grid for the outputs: one header row of the captions, a row per order, and the
// closing line 合计 with the count of orders and, under the summed contribution, the figure.
ReportGrid detailGrid(const CellDetail& detail, const DetailTable& table);

// The keys of `grid`'s rows `from` to `to` - 1 that have one.
std::vector<QStringList> keyedRows(const ReportGrid& grid, int from, int to);
// The keys of the rows a cell of `row` counts for: its own, or for the totals row (the last row,
// named `totalsName` in column `nameCol`) every keyed row above it.
std::vector<QStringList> keysBehind(const ReportGrid& grid, int row, int nameCol, const QString& totalsName);

// The rows table of the office reports: 序 and 管理处码 for each keyed row, for a join on 管理处.
QString officeRowsTable(const std::vector<QStringList>& keys);

} // namespace trellum
