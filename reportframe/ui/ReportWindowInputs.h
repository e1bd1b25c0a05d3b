#pragma once

#include "DbConnection.h"
#include "Report.h"

#include <QString>

#include <functional>

namespace trellum {

// What a report window takes from the program it runs in: the connection its statements run on
// (asked for at each use, since a new login replaces it), the logged-in person's names for the
// status bar as they are when the window opens, and the report it shows.
struct ReportWindowInputs {
    std::function<DbConnection&()> connection;
    QString employeeName;
    QString departmentName;
    QString positionName;
    const Report* report = nullptr; // the report the window shows; a window needs one
};

} // namespace trellum
