#pragma once

#include <QString>
#include <QStringList>

namespace trellum::bench {

// What the figures were measured on: processor, cores, memory, system, libraries, compiler.
class MachineInfo {
public:
    // The lines of the machine table, "what | value", for docs/benchmarks.md.
    static QStringList describe();
};

} // namespace trellum::bench
