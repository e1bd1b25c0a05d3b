#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace trellum::bench {

// The statements of a run grouped by their shape: the text with every quoted literal written
// '?', so that the ledger's thirty figures statements (one per worker) make one group.
class StatementShapes {
public:
    struct Group {
        QString shape;
        QString first; // the first statement of the shape, as sent
        int count = 0;
    };

    // Groups the statements in the order their shapes first appear.
    explicit StatementShapes(const QStringList& statements);

    const std::vector<Group>& groups() const { return m_groups; }
    // The shape of one statement.
    static QString shapeOf(const QString& statement);

private:
    std::vector<Group> m_groups;
};

} // namespace trellum::bench
