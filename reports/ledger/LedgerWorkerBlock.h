#pragma once

#include "ReportGrid.h"

#include <QString>

#include <array>

namespace trellum {

// The lines one worker adds to the ledger grid: his worker lines, four empty lines and the
// subtotal line, every one of them numbered. The sums are taken from the texts as shown.
class LedgerWorkerBlock {
public:
    // The figure columns: shared man-hours, standard hours, labour cost, material cost.
    static constexpr std::array<int, 4> kFigureColumns = { 4, 7, 11, 15 };

    // Starts a block at the end of the grid; nothing is written yet.
    explicit LedgerWorkerBlock(ReportGrid& grid);

    // Appends a worker line with the figure texts (empty for NULL) and adds their values to the sums.
    void addWorkerLine(const QString& name, const QString& hours, const QString& standard, const QString& labour,
                       const QString& material);
    // Appends the four empty lines and the subtotal line "合计" in the subtotal colour.
    void close();

    // Appends a row numbered with its index minus the header rows plus one and returns its index.
    static int appendNumberedRow(ReportGrid& grid);
    // Writes the four figures of a line formatted "0.00" and colours columns 1 to the last.
    static void writeSumLine(ReportGrid& grid, int row, const QString& label, const std::array<double, 4>& sums,
                             BgrColour colour);

private:
    ReportGrid& m_grid;
    std::array<double, 4> m_sums {};
};

} // namespace trellum
