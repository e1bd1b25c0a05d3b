#pragma once

#include <QString>

namespace trellum::bench {

// A region of 20,000 offices (one completed order a year each) with the program's indexes: the
// completion overview's worst case for the planner, whatever the connection's settings.
class ManyOfficesDatabase {
public:
    static constexpr int kOffices = 20000;
    // Builds the file at `outPath` (through a temporary beside it); returns an empty text, or why
    // it could not.
    static QString build(const QString& outPath);
};

} // namespace trellum::bench
