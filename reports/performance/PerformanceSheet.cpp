#include "PerformanceReport.h"

namespace trellum {

ExportLayout PerformanceReport::exportLayout() const
{
    return ExportLayout();
}

} // namespace trellum
