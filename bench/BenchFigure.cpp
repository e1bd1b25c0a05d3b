#include "BenchFigure.h"

#include <cmath>

namespace trellum::bench {

namespace {

// Seconds and ratios to six significant digits: enough for any of these figures, and stable text.
double rounded(double v)
{
    if (v == 0 || !std::isfinite(v))
        return v;
    const double scale = std::pow(10.0, 5 - std::floor(std::log10(std::fabs(v))));
    return std::round(v * scale) / scale;
}

} // namespace

QJsonObject BenchFigure::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("name"), name);
    if (medianSeconds)
        o.insert(QStringLiteral("median_s"), rounded(*medianSeconds));
    if (value)
        o.insert(QStringLiteral("value"), rounded(*value));
    if (floorSeconds)
        o.insert(QStringLiteral("floor_s"), rounded(*floorSeconds));
    if (ratio)
        o.insert(QStringLiteral("ratio"), rounded(*ratio));
    o.insert(QStringLiteral("target"), target);
    o.insert(QStringLiteral("met"), met);
    for (auto it = extra.begin(); it != extra.end(); ++it)
        o.insert(it.key(), it.value());
    return o;
}

} // namespace trellum::bench
