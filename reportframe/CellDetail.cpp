#include "CellDetail.h"

#include "CellText.h"
#include "SqlText.h"

#include <cmath>
#include <map>

namespace trellum {

namespace {

// The names the list's columns have in its statement, in the order of detailColumns().
const char16_t* const kFields[] = { u"编号", u"小区名称", u"报修时间", u"销单日期", u"报修类别",
                                    u"维修人", u"维修情况", u"维修项目", u"房屋性质" };

// The housing type of an order's room, when the part does not join it itself.
const QString kHousingOfRoom = QStringLiteral(
    "(Select Max(F.FWXZ_xz) From 室表 S Inner Join fwxzk F On S.房屋性质 = F.fwxz_dh Where S.S_ID = PG派工单.室ID)");

QString partStatement(const DetailPart& part)
{
    QString sql = QStringLiteral("Select ") + part.group
        + QStringLiteral(" As 分组, PG派工单.编号 As 编号, (Select Max(M.gyd_name) From 设置管理处 M Where M.gyd_dh = "
                         "PG派工单.管理处) As 小区名称, PG派工单.报修时间 As 报修时间, PG派工单.销单日期 As 销单日期, "
                         "(Select Max(K.类别名称) From PG报修类别设置 K Where K.类别编号 = PG派工单.报修类别编号) As 报修类别, "
                         "PG派工单.维修人 As 维修人, PG派工单.维修情况 As 维修情况, PG派工单.维修项目 As 维修项目, ")
        + (part.housing.isEmpty() ? kHousingOfRoom : part.housing) + QStringLiteral(" As 房屋性质");
    for (qsizetype k = 0; k < part.contributions.size(); ++k)
        sql += QStringLiteral(", ") + part.contributions[k] + QStringLiteral(" As 贡献") + QString::number(k);
    return sql + QStringLiteral(" From ") + part.from + QStringLiteral(" Where ") + part.where;
}

} // namespace

QString CellDetail::statement() const
{
    QString body;
    for (const DetailPart& part : parts) {
        if (!body.isEmpty())
            body += QStringLiteral(" Union All ");
        body += partStatement(part);
    }
    return QStringLiteral("Select * From (") + body + QStringLiteral(") D Order By 编号, 分组");
}

CellDetail namedCell(const QString& report, const ReportGrid& grid, int row, int col, int nameCol)
{
    CellDetail out;
    out.report = report;
    out.row = grid.text(row, nameCol);
    QStringList caption;
    for (int r = 0; r < grid.fixedRows(); ++r) {
        const QString text = grid.text(r, col).simplified();
        if (!text.isEmpty() && !caption.contains(text))
            caption << text;
    }
    out.column = caption.join(QLatin1Char(' '));
    return out;
}

QStringList detailColumns()
{
    QStringList out;
    for (const char16_t* f : kFields)
        out << QString::fromUtf16(f);
    return out;
}

DbStatus readDetail(DbConnection& db, const CellDetail& detail, DetailTable& table)
{
    table = DetailTable();
    table.headers = detailColumns() + detail.contributionNames;
    if (detail.parts.empty())
        return std::nullopt;
    DbCursor cur = db.select(detail.statement());
    const QStringList fields = detailColumns();
    while (cur.next()) {
        QVariantList row;
        for (const QString& f : fields)
            row << (cur.isNull(f) ? QVariant() : cur.value(f));
        for (qsizetype k = 0; k < detail.contributionNames.size(); ++k) {
            const QString f = QStringLiteral("贡献") + QString::number(k);
            row << (cur.isNull(f) ? QVariant() : QVariant(cur.number(f)));
        }
        table.rows.push_back(row);
        table.groups.push_back((long long)cur.number(QStringLiteral("分组")));
    }
    if (cur.failed())
        table = DetailTable { table.headers, {}, {} };
    return cur.error();
}

QString detailFigure(const CellDetail& detail, const DetailTable& table)
{
    if (detail.rule.summed < 0)
        return formatNumber(double(table.rows.size()), detail.rule.pattern);
    const int column = int(detailColumns().size()) + detail.rule.summed;
    std::map<long long, double> perRow;
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        const QVariant& v = table.rows[i].value(column);
        perRow[table.groups[i]] += v.isNull() ? 0.0 : v.toDouble();
    }
    double total = 0;
    for (const auto& [group, sum] : perRow)
        total += cellNumber(formatNumber(sum, detail.rule.pattern));
    return formatNumber(total, detail.rule.pattern);
}

QString detailTitle(const CellDetail& detail, const ReportCriteria& c)
{
    QString title = detail.report + QStringLiteral(" · ") + (detail.row.isEmpty() ? QStringLiteral("（无名）") : detail.row)
        + QStringLiteral(" · ") + detail.column + QStringLiteral(" — ") + c.regionName + QLatin1Char(' ')
        + isoDate(c.startDate) + QStringLiteral(" 至 ") + isoDate(c.endDate);
    if (!c.categoryNames.isEmpty())
        title += QStringLiteral(" · ") + c.categoryNames;
    return title;
}

QString detailText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return plainNumber(value.toDouble());
    default:
        return value.toString();
    }
}

ReportGrid detailGrid(const CellDetail& detail, const DetailTable& table)
{
    ReportGrid grid;
    grid.setRedraw(false);
    grid.setCols(int(table.headers.size()));
    grid.setRows(1);
    grid.setFixedRows(1);
    grid.setFixedCols(0);
    for (int c = 0; c < grid.cols(); ++c)
        grid.setText(0, c, table.headers[c]);
    for (const QVariantList& values : table.rows) {
        const int r = grid.appendRow();
        for (int c = 0; c < grid.cols(); ++c)
            grid.setText(r, c, detailText(values.value(c)));
    }
    // the closing line: the figure as the report computes it from these orders
    const int t = grid.appendRow();
    grid.setText(t, 0, QStringLiteral("合计"));
    grid.setText(t, 1, QStringLiteral("%1 张").arg(table.rows.size()));
    const int figureColumn = detail.rule.summed < 0 ? 1 : int(detailColumns().size()) + detail.rule.summed;
    if (detail.rule.summed >= 0)
        grid.setText(t, figureColumn, detailFigure(detail, table));
    for (int c = 0; c < grid.cols(); ++c)
        grid.setBackground(t, c, kTotalColour);
    grid.setRedraw(true);
    return grid;
}

std::vector<QStringList> keyedRows(const ReportGrid& grid, int from, int to)
{
    std::vector<QStringList> out;
    for (int r = std::max(0, from); r < std::min(to, grid.rows()); ++r)
        if (!grid.rowKey(r).isEmpty())
            out.push_back(grid.rowKey(r));
    return out;
}

std::vector<QStringList> keysBehind(const ReportGrid& grid, int row, int nameCol, const QString& totalsName)
{
    const bool totals = row == grid.rows() - 1 && grid.text(row, nameCol) == totalsName;
    return totals ? keyedRows(grid, grid.fixedRows(), row) : keyedRows(grid, row, row + 1);
}

QString officeRowsTable(const std::vector<QStringList>& keys)
{
    // no office rows: a table without rows, so that the list is empty
    if (keys.empty())
        return QStringLiteral("Select 0 As 序, NULL As 管理处码 Where 1 = 0");
    std::vector<QStringList> rows;
    for (const QStringList& k : keys)
        rows.push_back({ sqlQuote(k.value(0)) });
    return sqlLiteralTable({ QStringLiteral("管理处码") }, rows);
}

} // namespace trellum
