#include "CompletionReport.h"

namespace trellum {

// The completion overview's sheet; its layout steps come with the export frame.
ExportLayout CompletionReport::exportLayout() const
{
    ExportLayout layout;
    layout.fileStem = QStringLiteral("维修完成情况一览表_");
    layout.nameDates = ExportLayout::NameDates::Period;
    layout.guardRowCount = 3;
    layout.sheetColumns = 9;
    layout.headerRows = 2;
    layout.successMessage = QStringLiteral("维修完成情况一览表导出成功!");
    return layout;
}

} // namespace trellum
