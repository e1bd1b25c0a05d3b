#pragma once

#include "FixtureDb.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace trellum::test {

// A code and a name of one region, office, worker or category.
struct Spelled {
    QString code;
    QString name;
};

// One description of a repair department, written either with plain codes and names or with
// hostile ones: apostrophes, double quotes, % and _, commas, semicolons, blanks, "--", statement
// markers and non-Chinese Unicode. A hostile code is its plain code followed by such text, so
// both spellings sort alike and every report lists its rows in the same order.
//
// Region 0 has offices 0 to 3 (3 ended) and workers 0 to 2; region 1 has office 4 and worker 3.
// Categories 0 to 2 are in use, 3 has ended. Worker 2 is in the tree but on no order: his code
// holds a comma, which the comma-separated 维修人 lists cannot carry.
class SpliceScene {
public:
    enum class Spelling { Plain, Hostile };

    explicit SpliceScene(Spelling spelling);

    // Writes the description into a fresh fixture.
    void fill(FixtureDb& db) const;

    const std::vector<Spelled>& regions() const { return m_regions; }
    const std::vector<Spelled>& offices() const { return m_offices; }
    const std::vector<Spelled>& workers() const { return m_workers; }
    const std::vector<Spelled>& categories() const { return m_categories; }
    // The 岗位 text of worker i ("03 水电工": the trade after the blank shows in brackets).
    const QString& trade(int i) const { return m_trades[std::size_t(i)]; }

    // Whether a code can stand in one of the headless runner's comma-separated lists.
    static bool listable(const QString& code) { return !code.contains(QLatin1Char(',')); }

    // Every text `from` shows for a code or name (alone, as the tree shows it, as a worker's
    // display name) mapped to the text `to` shows in its place.
    static QHash<QString, QString> translation(const SpliceScene& from, const SpliceScene& to);

private:
    std::vector<Spelled> m_regions;
    std::vector<Spelled> m_offices;
    std::vector<Spelled> m_workers;
    std::vector<Spelled> m_categories;
    std::vector<QString> m_trades;
};

} // namespace trellum::test
