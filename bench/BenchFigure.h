#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

namespace trellum::bench {

// One measured figure of the benchmarks, as bench/results.json lists it: its name, its median in
// seconds or its value, the floor it is measured against, the ratio, the target and whether the
// target is met, with whatever else describes it (runs, statements, memory, units).
struct BenchFigure {
    QString name;
    std::optional<double> medianSeconds;
    std::optional<double> value;
    std::optional<double> floorSeconds;
    std::optional<double> ratio;
    QString target;
    bool met = false;
    QJsonObject extra;

    // The figure as one JSON object (name, median_s or value, floor_s, ratio, target, met, extras).
    QJsonObject toJson() const;
};

} // namespace trellum::bench
