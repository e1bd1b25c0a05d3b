#include "CloseDialog.h"

#include "DbConnection.h"
#include "FilterQueries.h"
#include "ReportCatalog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>

namespace trellum {

namespace {

constexpr ReportKind kKinds[] = { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd };

// A ticked list of "code name" entries, all ticked, each entry's code in its data.
QListWidget* tickedList(const QString& name, const std::vector<std::pair<QString, QString>>& entries, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    for (const auto& [code, text] : entries) {
        auto* item = new QListWidgetItem(text, list);
        item->setData(Qt::UserRole, code);
        item->setToolTip(text);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    return list;
}

QStringList tickedCodes(const QListWidget* list)
{
    QStringList codes;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            codes << list->item(i)->data(Qt::UserRole).toString();
    return codes;
}

QString stateText(const CloseItem& item)
{
    switch (item.state) {
    case CloseItemState::Waiting:
        return QStringLiteral("等待");
    case CloseItemState::Running:
        return QStringLiteral("正在统计…");
    case CloseItemState::Done:
        return item.message.isEmpty() ? QStringLiteral("完成") : QStringLiteral("完成（%1）").arg(item.message);
    case CloseItemState::Failed:
        return QStringLiteral("失败：") + item.message;
    case CloseItemState::NotDone:
        break;
    }
    return QStringLiteral("未做");
}

QString lineText(const CloseItem& item)
{
    return item.region.text() + QStringLiteral(" — ") + findReport(item.kind).info().title + QStringLiteral("：")
        + stateText(item);
}

} // namespace

QString CloseDialog::defaultFolder(const QDate& start)
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .filePath(QStringLiteral("Trellum/") + start.toString(QStringLiteral("yyyyMM")));
}

CloseDialog::CloseDialog(DbConnection& lists, DbSettings settings, Messenger& messenger, QWidget* parent)
    : QDialog(parent)
    , m_messenger(messenger)
    , m_settings(std::move(settings))
{
    setObjectName(QStringLiteral("frm月底批量导出"));
    setWindowTitle(QStringLiteral("月底批量导出"));
    auto* column = new QVBoxLayout(this);

    // the period: the last calendar month
    const QDate firstOfMonth = QDate::currentDate().addDays(1 - QDate::currentDate().day());
    auto dateEdit = [this](const QString& name, const QDate& day) {
        auto* edit = new QDateEdit(day, this);
        edit->setObjectName(name);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        connect(edit, &QDateEdit::dateChanged, this, [this] { periodChanged(); });
        return edit;
    };
    m_from = dateEdit(QStringLiteral("startDate"), firstOfMonth.addMonths(-1));
    m_to = dateEdit(QStringLiteral("endDate"), firstOfMonth.addDays(-1));
    auto* period = new QHBoxLayout;
    period->addWidget(new QLabel(QStringLiteral("统计时间从"), this));
    period->addWidget(m_from);
    period->addWidget(new QLabel(QStringLiteral("到"), this));
    period->addWidget(m_to);
    period->addStretch(1);
    column->addLayout(period);

    std::vector<RegionEntry> regions;
    CategoryTable categories;
    DbStatus status = loadRegions(lists, regions);
    if (!status)
        status = loadCategories(lists, categories);
    if (status)
        inform(m_messenger, kReportMessageTitle, reportErrorText(*status));
    std::vector<std::pair<QString, QString>> regionEntries;
    for (const RegionEntry& r : regions)
        regionEntries.emplace_back(r.code, r.text());
    std::vector<std::pair<QString, QString>> categoryEntries;
    for (const CategoryEntry& c : categories)
        categoryEntries.emplace_back(c.code, c.text());

    auto* choices = new QGridLayout;
    auto* regionBox = new QGroupBox(QStringLiteral("区域"), this);
    (new QVBoxLayout(regionBox))->addWidget(m_regions = tickedList(QStringLiteral("regions"), regionEntries, regionBox));
    auto* reportBox = new QGroupBox(QStringLiteral("报表"), this);
    auto* reportColumn = new QVBoxLayout(reportBox);
    for (ReportKind kind : kKinds) {
        auto* tick = new QCheckBox(findReport(kind).info().title, reportBox);
        tick->setObjectName(reportName(kind));
        tick->setChecked(true);
        reportColumn->addWidget(tick);
        m_reports.push_back(tick);
    }
    reportColumn->addStretch(1);
    auto* categoryBox = new QGroupBox(QStringLiteral("报修类别"), this);
    (new QVBoxLayout(categoryBox))
        ->addWidget(m_categories = tickedList(QStringLiteral("categories"), categoryEntries, categoryBox));
    choices->addWidget(regionBox, 0, 0);
    choices->addWidget(reportBox, 0, 1);
    choices->addWidget(categoryBox, 0, 2);
    column->addLayout(choices, 1);

    auto* output = new QFormLayout;
    auto* folderRow = new QHBoxLayout;
    m_offeredFolder = defaultFolder(m_from->date());
    m_folder = new QLineEdit(m_offeredFolder, this);
    m_folder->setObjectName(QStringLiteral("folder"));
    auto* browse = new QPushButton(QStringLiteral("浏览…"), this);
    browse->setObjectName(QStringLiteral("browse"));
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("输出文件夹"), m_folder->text());
        if (!chosen.isEmpty())
            m_folder->setText(chosen);
    });
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    output->addRow(QStringLiteral("输出文件夹"), folderRow);
    m_pdf = new QCheckBox(QStringLiteral("同时导出 PDF"), this);
    m_pdf->setObjectName(QStringLiteral("pdf"));
    m_jobs = new QSpinBox(this);
    m_jobs->setObjectName(QStringLiteral("jobs"));
    m_jobs->setRange(1, 16);
    m_jobs->setValue(defaultCloseJobs());
    auto* extras = new QHBoxLayout;
    extras->addWidget(m_pdf);
    extras->addStretch(1);
    extras->addWidget(new QLabel(QStringLiteral("同时统计"), this));
    extras->addWidget(m_jobs);
    output->addRow(extras);
    column->addLayout(output);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setValue(0);
    column->addWidget(m_progress);
    m_lines = new QListWidget(this);
    m_lines->setObjectName(QStringLiteral("lines"));
    column->addWidget(m_lines, 1);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setWordWrap(true);
    m_summary->setTextFormat(Qt::PlainText);
    column->addWidget(m_summary);

    auto* buttons = new QHBoxLayout;
    m_start = new QPushButton(QStringLiteral("开始"), this);
    m_start->setObjectName(QStringLiteral("start"));
    m_start->setDefault(true);
    connect(m_start, &QPushButton::clicked, this, [this] { startOrStop(); });
    m_openFolder = new QPushButton(QStringLiteral("打开文件夹"), this);
    m_openFolder->setObjectName(QStringLiteral("openFolder"));
    m_openFolder->setEnabled(false);
    connect(m_openFolder, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(m_runFolder)); });
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("close"));
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    buttons->addWidget(m_start);
    buttons->addWidget(m_openFolder);
    buttons->addStretch(1);
    buttons->addWidget(close);
    column->addLayout(buttons);
    resize(760, 620);
}

CloseDialog::~CloseDialog()
{
    if (m_job)
        m_job->stop();
    if (m_thread.joinable())
        m_thread.join();
}

CloseOptions CloseDialog::options() const
{
    CloseOptions o;
    o.settings = m_settings;
    o.startDate = m_from->date();
    o.endDate = m_to->date();
    o.today = QDate::currentDate();
    o.regionCodes = tickedCodes(m_regions);
    for (std::size_t i = 0; i < m_reports.size(); ++i)
        if (m_reports[i]->isChecked())
            o.reports.push_back(kKinds[i]);
    const QStringList categories = tickedCodes(m_categories);
    if (categories.size() != m_categories->count())
        o.categoryCodes = categories;
    o.outputFolder = m_folder->text().trimmed();
    o.jobs = m_jobs->value();
    o.pdf = m_pdf->isChecked();
    return o;
}

void CloseDialog::periodChanged()
{
    // the offered folder follows the period until another is chosen
    if (m_folder && m_folder->text() == m_offeredFolder) {
        m_offeredFolder = defaultFolder(m_from->date());
        m_folder->setText(m_offeredFolder);
    }
}

void CloseDialog::startOrStop()
{
    if (m_job) {
        m_job->stop();
        m_start->setEnabled(false);
        m_summary->setText(QStringLiteral("正在停止…"));
        return;
    }
    const CloseOptions o = options();
    QString refused;
    if (o.regionCodes.isEmpty())
        refused = QStringLiteral("请勾选区域!");
    else if (o.reports.empty())
        refused = QStringLiteral("请勾选报表!");
    else if (o.categoryCodes && o.categoryCodes->isEmpty())
        refused = QStringLiteral("请勾选报修类别!");
    else if (o.outputFolder.isEmpty())
        refused = QStringLiteral("请选择输出文件夹!");
    else if (o.startDate > o.endDate)
        refused = QStringLiteral("开始日期不能大于结束日期,请重新设定!");
    if (!refused.isEmpty()) {
        inform(m_messenger, kReportMessageTitle, refused);
        return;
    }
    m_lines->clear();
    m_summary->clear();
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_openFolder->setEnabled(false);
    m_runFolder = o.outputFolder;
    m_start->setText(QStringLiteral("停止"));
    m_job = std::make_unique<CloseJob>(o);
    CloseJob* job = m_job.get();
    CloseCallbacks callbacks;
    callbacks.listed = [this](const std::vector<CloseItem>& items) {
        QMetaObject::invokeMethod(this, [this, items] { listed(items); }, Qt::QueuedConnection);
    };
    callbacks.changed = [this](int index, const CloseItem& item) {
        QMetaObject::invokeMethod(this, [this, index, item] { changed(index, item); }, Qt::QueuedConnection);
    };
    m_thread = std::thread([this, job, callbacks] {
        const std::optional<CloseStop> stop = job->run(callbacks);
        QMetaObject::invokeMethod(this, [this, stop] { ended(stop); }, Qt::QueuedConnection);
    });
}

void CloseDialog::listed(const std::vector<CloseItem>& items)
{
    m_lines->clear();
    for (const CloseItem& item : items)
        m_lines->addItem(lineText(item));
    m_progress->setRange(0, int(items.size()));
    m_progress->setValue(0);
}

void CloseDialog::changed(int index, const CloseItem& item)
{
    if (QListWidgetItem* line = m_lines->item(index)) {
        line->setText(lineText(item));
        line->setToolTip(line->text());
        if (item.state == CloseItemState::Running)
            m_lines->scrollToItem(line);
    }
    if (item.state == CloseItemState::Done || item.state == CloseItemState::Failed)
        m_progress->setValue(m_progress->value() + 1);
}

void CloseDialog::ended(const std::optional<CloseStop>& stop)
{
    if (m_thread.joinable())
        m_thread.join();
    const std::vector<CloseItem> items = m_job->items();
    const bool stopped = m_job->stopRequested() && !stop;
    m_job.reset();
    int done = 0, failed = 0, notDone = 0, files = 0;
    for (const CloseItem& item : items) {
        done += item.state == CloseItemState::Done;
        failed += item.state == CloseItemState::Failed;
        notDone += item.state == CloseItemState::NotDone;
        files += int(item.files.size());
    }
    QString summary = QStringLiteral("%1：完成 %2 项，失败 %3 项，未做 %4 项；写出 %5 个文件到 %6")
                          .arg(stop ? QStringLiteral("已中止") : stopped ? QStringLiteral("已停止") : QStringLiteral("已结束"))
                          .arg(done)
                          .arg(failed)
                          .arg(notDone)
                          .arg(files)
                          .arg(QDir::toNativeSeparators(m_runFolder));
    if (stop)
        summary += QLatin1Char('\n') + stop->message;
    m_summary->setText(summary);
    if (!stop && !stopped)
        m_progress->setValue(m_progress->maximum());
    m_start->setText(QStringLiteral("开始"));
    m_start->setEnabled(true);
    m_openFolder->setEnabled(QFileInfo(m_runFolder).isDir());
    Q_EMIT finished();
    if (m_closeWhenEnded) {
        close();
        return;
    }
    if (stop)
        inform(m_messenger, kReportMessageTitle, stop->message);
}

void CloseDialog::closeEvent(QCloseEvent* event)
{
    if (!m_job) {
        event->accept();
        return;
    }
    // a running close is stopped first; the window closes once the reports in flight are done
    m_closeWhenEnded = true;
    m_job->stop();
    m_start->setEnabled(false);
    m_summary->setText(QStringLiteral("正在停止，停止后关闭…"));
    event->ignore();
}

} // namespace trellum
