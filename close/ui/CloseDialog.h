#pragma once

#include "CloseJob.h"
#include "Messenger.h"

#include <QDialog>

#include <memory>
#include <thread>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace trellum {

class DbConnection;

// 月底批量导出: the month-end close of the chosen regions, reports and categories of a period
// into a folder, run off the window's thread with a line per region and report, a stop button,
// a summary at the end and a button that opens the folder.
class CloseDialog final : public QDialog {
    Q_OBJECT
public:
    // Fills the lists from `lists` (the session's connection); each run of the close opens
    // connections of its own with `settings`.
    CloseDialog(DbConnection& lists, DbSettings settings, Messenger& messenger, QWidget* parent = nullptr);
    ~CloseDialog() override;

    // The period, regions, reports, categories, folder and PDF tick as the dialog holds them.
    CloseOptions options() const;
    // Whether a close is running.
    bool running() const { return m_job != nullptr; }
    // The folder of the last month of the period as offered: documents/Trellum/<yyyymm>.
    static QString defaultFolder(const QDate& start);

Q_SIGNALS:
    // A close has ended, stopped or not.
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void startOrStop();
    void listed(const std::vector<CloseItem>& items);
    void changed(int index, const CloseItem& item);
    void ended(const std::optional<CloseStop>& stop);
    void periodChanged();

    Messenger& m_messenger;
    DbSettings m_settings;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QListWidget* m_regions = nullptr;
    std::vector<QCheckBox*> m_reports;
    QListWidget* m_categories = nullptr;
    QLineEdit* m_folder = nullptr;
    QString m_offeredFolder;
    QCheckBox* m_pdf = nullptr;
    QSpinBox* m_jobs = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_openFolder = nullptr;
    QProgressBar* m_progress = nullptr;
    QListWidget* m_lines = nullptr;
    QLabel* m_summary = nullptr;
    std::unique_ptr<CloseJob> m_job;
    std::thread m_thread;
    QString m_runFolder;
    bool m_closeWhenEnded = false;
};

} // namespace trellum
