#pragma once

#include "AppSession.h"
#include "Criteria.h"
#include "Messenger.h"
#include "Report.h"
#include "ReportGrid.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace trellum::bench {

// One report window's run as the program does it: the connection opened as at login, the lists
// and the region's tree loaded as when the window opens and the region is chosen, every office or
// worker and every category ticked, the period set; then each press of the run button captures
// the criteria and runs the report, with the statements it sends recorded.
class ReportScenario {
public:
    // The run of `kind` for the region and the period, both days included.
    ReportScenario(ReportKind kind, const QString& regionCode, const QDate& start, const QDate& end);

    // Opens the database file and loads the lists; returns an empty text, or why it could not.
    QString prepare(const QString& databasePath);

    // What one press of the run button did.
    struct Run {
        double seconds = 0;
        QStringList statements;
        int gridRows = 0;
        QString error;
    };
    // Captures the criteria and runs the report, timed.
    Run run();

    // Whether the program's connection builds automatic indexes (PRAGMA automatic_index).
    bool automaticIndexes() const;


private:
    class Quiet : public Messenger {
    public:
        MessageAnswer show(const Message& message) override;
        QStringList texts;
    };

    ReportKind m_kind;
    QString m_regionCode;
    QDate m_start;
    QDate m_end;
    const Report* m_report = nullptr;
    AppSession m_session;
    Quiet m_messenger;
    FilterState m_state;
    ReportGrid m_grid;
};

} // namespace trellum::bench
