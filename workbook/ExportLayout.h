#pragma once

#include "ReportGrid.h"
#include "Sheet.h"

#include <QDate>
#include <QString>

#include <array>
#include <functional>
#include <map>

namespace trellum {

// What a report's layout steps read at the moment of the export.
struct ExportContext {
    const ReportGrid* grid = nullptr;
    QDate startDate;          // the period of the run that filled the grid
    QDate endDate;
    QString regionName;       // the region of that run (its Combo1 entry's text after the first blank)
    QString categoryNames;    // as captured by the last run ("" before it)
    QDate today;
    QString title;            // the window's title label
    std::array<QString, 7> typeAnalysis; // Text1(0)..Text1(6), report D
    QString remark;                      // Text2, report D
    int sheetColumns = 0;     // N, as the frame resolved it
};

// A grid column written as a number with its format code.
struct NumericColumn {
    QString format;                 // "#0" or "#0.00"
    bool formatWhenEmpty = true;    // false: an empty text writes nothing and sets no format
};

// How a report describes its sheet to the export frame.
struct ExportLayout {
    enum class NameDates { Today, Period };

    QString fileStem;
    NameDates nameDates = NameDates::Period;
    int guardRowCount = 2;
    int sheetColumns = 0;           // N; 0 means the grid's column count
    int headerRows = 2;             // H
    std::map<int, NumericColumn> numericColumns;
    int numericFromColumn = -1;     // every grid column from this one on is numeric too (-1: none)
    NumericColumn numericTail;      // ... with this format
    bool headerFill = true;         // fill rows 4 to 3 + H with the total colour
    QString successMessage;
    int titleBoldLastColumn = 0;    // 0 means N
    int fontLastRowOffset = 4;      // fonts down to row R + this
    int borderLastRowOffset = 3;    // borders down to row R + this

    using Step = std::function<void(Sheet&, const ExportContext&)>;
    Step headerLines;       // rows 2 and 3
    Step headerRowSettings; // inside the header copy
    Step headerMerges;      // after the header copy, before the header fill
    std::function<void(Sheet&, const ExportContext&, int gridRow, int sheetRow)> perRowRule;
    Step footer;

    // The number format of a grid column, or nullptr for a column written as text.
    const NumericColumn* numericColumn(int col) const
    {
        const auto it = numericColumns.find(col);
        if (it != numericColumns.end())
            return &it->second;
        return numericFromColumn >= 0 && col >= numericFromColumn ? &numericTail : nullptr;
    }

    // The default file name the save dialog offers.
    QString defaultFileName(const QDate& start, const QDate& end, const QDate& today) const
    {
        return fileStem
            + (nameDates == NameDates::Today ? today.toString(QStringLiteral("yyyyMMdd"))
                                             : start.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('_')
                                                   + end.toString(QStringLiteral("yyyyMMdd")));
    }
};

} // namespace trellum
