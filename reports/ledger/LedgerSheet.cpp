#include "LedgerReport.h"

namespace trellum {

ExportLayout LedgerReport::exportLayout() const
{
    return ExportLayout();
}

} // namespace trellum
