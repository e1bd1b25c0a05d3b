#pragma once

#include "BenchFigure.h"

#include <QString>

#include <vector>

namespace trellum::bench {

// What one benchmark program hands to the summary: its figures and its section of
// docs/benchmarks.md, written as one JSON file (bench/cache/part-*.json).
class BenchPart {
public:
    // A part with the section's order key (parts are shown in key order) and title.
    BenchPart(int order, const QString& title);

    // Adds a figure.
    void add(const BenchFigure& figure) { m_figures.push_back(figure); }
    // Appends Markdown text to the section.
    void write(const QString& markdown) { m_markdown += markdown; }
    // The figures added so far.
    const std::vector<BenchFigure>& figures() const { return m_figures; }

    // Writes the part file; returns an empty text, or why it could not.
    QString save(const QString& path) const;

    // Seconds as a table shows them: three significant digits, at least three decimals below 1 s.
    static QString seconds(double s);
    // A ratio as a table shows it.
    static QString ratio(double r);

private:
    int m_order;
    QString m_title;
    QString m_markdown;
    std::vector<BenchFigure> m_figures;
};

} // namespace trellum::bench
