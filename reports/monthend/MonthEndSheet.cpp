#include "MonthEndReport.h"

namespace trellum {

ExportLayout MonthEndReport::exportLayout() const
{
    return ExportLayout();
}

} // namespace trellum
