#include "ReportDriver.h"

#include "CategoryBox.h"
#include "FilterPanel.h"
#include "HeadlessRunner.h"
#include "ReportGrid.h"
#include "ReportWindow.h"
#include "SessionInputs.h"
#include "TypeAnalysisPanel.h"
#include "UiFixture.h"
#include "RunWait.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace trellum::test {

namespace {

QStringList strings(const QJsonArray& array)
{
    QStringList out;
    for (const QJsonValue& v : array)
        out << v.toString();
    return out;
}

} // namespace

GridRun GridRun::of(const ReportGrid& grid)
{
    GridRun out;
    for (int r = 0; r < grid.rows(); ++r) {
        QStringList texts, fills;
        for (int c = 0; c < grid.cols(); ++c) {
            texts << grid.text(r, c);
            const auto colour = grid.background(r, c);
            fills << (colour ? QStringLiteral("%1").arg(*colour, 6, 16, QLatin1Char('0')).toUpper() : QString());
        }
        out.rows.push_back(texts);
        out.fills.push_back(fills);
    }
    return out;
}

ReportDriver::ReportDriver(ReportKind kind, const QString& databasePath)
{
    // a file that cannot be opened leaves the connection closed; the window then reports it
    (void)m_session.connection->openSqlite(databasePath);
    m_window = std::make_unique<ReportWindow>(sessionInputs(m_session, kind), m_messenger, m_dialog);
    m_window->show();
}

ReportDriver::~ReportDriver() = default;

GridRun ReportDriver::run(const PanelChoice& choice)
{
    ReportWindow& w = *m_window;
    w.findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(choice.from);
    w.findChild<QDateEdit*>(QStringLiteral("DTPicker2"))->setDate(choice.to);
    auto* combo = w.findChild<QComboBox*>(QStringLiteral("Combo1"));
    combo->setFocus();
    if (combo->currentIndex() == choice.region) {
        Q_EMIT combo->activated(choice.region); // chosen again: the tree is rebuilt as on a pick
    } else {
        while (combo->currentIndex() < choice.region)
            QTest::keyClick(combo, Qt::Key_Down);
        while (combo->currentIndex() > choice.region)
            QTest::keyClick(combo, Qt::Key_Up);
    }
    QTreeWidget* tree = w.filterPanel()->tree();
    if (!choice.nodes) {
        w.findChild<QCheckBox*>(QStringLiteral("Check1"))->click();
    } else if (QTreeWidgetItem* root = tree->topLevelItem(0)) {
        for (int n : *choice.nodes)
            toggle(tree, root->child(n));
    }
    CategoryBox* box = w.filterPanel()->categoryBox();
    if (!choice.categories) {
        if (!box->selectAll()->isChecked())
            box->selectAll()->click();
    } else {
        for (int c : *choice.categories)
            toggle(box->list(), c);
    }
    return runAgain();
}

GridRun ReportDriver::runAgain()
{
    m_window->findChild<QPushButton*>(QStringLiteral("Command5"))->click();
    if (!waitForRun(*m_window))
        qWarning("the run did not end");
    return snapshot();
}

void ReportDriver::pressExport()
{
    m_window->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
}

GridRun ReportDriver::snapshot() const
{
    GridRun out = GridRun::of(m_window->grid());
    if (const TypeAnalysisPanel* panel = m_window->typeAnalysis())
        for (const QString& text : panel->boxes())
            out.boxes << text;
    out.messages = m_messenger.texts();
    return out;
}

GridRun ReportDriver::headless(const QStringList& arguments)
{
    QByteArray document;
    QBuffer out(&document);
    out.open(QIODevice::WriteOnly);
    RecordingMessenger messenger;
    const int code = runHeadless(QStringList { QStringLiteral("trellum-report") } + arguments, out, messenger);
    GridRun run;
    run.exitCode = code;
    run.messages = messenger.texts();
    const QJsonObject doc = QJsonDocument::fromJson(document).object();
    for (const QJsonValue& row : doc[QStringLiteral("rows")].toArray())
        run.rows.push_back(strings(row.toArray()));
    for (const QJsonValue& row : doc[QStringLiteral("backgrounds")].toArray())
        run.fills.push_back(strings(row.toArray()));
    run.boxes = strings(doc[QStringLiteral("typeAnalysis")].toArray());
    return run;
}

} // namespace trellum::test
