#pragma once

#include <QDate>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace trellum {

// Writes the embedded demo database: every table of the schema filled with a repair department's
// regions, estates, workers, categories, login records and work orders, then the indexes.
// The content depends only on the options (the seed included), never on the clock.
class DemoDatabase {
public:
    struct Options {
        QString outPath;                 // the file to write (replaced if it exists)
        qint64 orders = 20000;           // work orders
        int regions = 4;
        int offices = 16;                // in all, spread over the regions
        int workers = 24;                // repair workers, in all
        int categories = 8;              // repair categories; the last one has ended
        int years = 2;                   // length of the order history
        QDate end = QDate(2026, 11, 30); // last day of the data
        quint64 seed = 1;
        bool indexes = true;
    };

    struct Summary {
        qint64 orders = 0;
        qint64 labourItems = 0;
        qint64 rooms = 0;
        int employees = 0;
        QDate firstDay;
        QDate lastDay;
    };

    static constexpr qint64 MaxOrders = 20'000'000;
    static constexpr int MaxRegions = 99;
    static constexpr int MaxOfficesPerRegion = 99;
    static constexpr int MaxWorkers = 989; // 工号 0011 .. 0999
    static constexpr int MaxCategories = 99;
    static constexpr int MaxYears = 30;

    // Checks the ranges of the options and the folder of the output file; returns an empty text
    // when a database can be built from them, else the reason they are refused.
    static QString validate(const Options& options);

    // A generator for the given options.
    explicit DemoDatabase(const Options& options);
    // Closes what a write left open.
    ~DemoDatabase();
    DemoDatabase(const DemoDatabase&) = delete;
    DemoDatabase& operator=(const DemoDatabase&) = delete;

    // Builds outPath + ".tmp" and renames it over outPath; returns an empty text, or the error
    // (options refused by validate included). On failure no temporary or partial file is left behind.
    QString write();
    // Row counts and dates of the last successful write.
    const Summary& summary() const { return m_summary; }

private:
    struct Office {
        std::string code;
        std::string regionCode;
        int region = 0;
        int roomBase = 0;      // first S_ID of its rooms
        int roomCount = 0;
        qint64 endDay = 0;     // Julian day of its end date, 0 while active
    };
    struct Worker {
        std::string code;
        int region = 0;
        qint64 endDay = 0;
    };
    struct CloseDb {
        void operator()(sqlite3* db) const;
    };
    struct FinalizeStatement {
        void operator()(sqlite3_stmt* st) const;
    };
    using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

    std::uint64_t next();
    int below(int n);
    bool chance(int perMille);
    void exec(const char* sql);
    Statement prepare(const char* sql);
    void bindText(sqlite3_stmt* st, int index, const std::string& value);
    void bindText(sqlite3_stmt* st, int index, const char* value);
    void bindInt(sqlite3_stmt* st, int index, qint64 value);
    void bindReal(sqlite3_stmt* st, int index, double value);
    void bindNull(sqlite3_stmt* st, int index);
    void step(sqlite3_stmt* st);
    void check(int rc, const char* what);

    void build(const QString& path);
    void writeLogin();
    void writeRegionsAndOffices();
    void writeWorkers();
    void writeCategories();
    void writeHousing();
    void writeOrders();
    void writeOrder(qint64 number, qint64 reportDay, int reportSecond);
    int pickOffice(qint64 day);
    int pickCategory(qint64 day);
    std::string pickWorkers(int region, qint64 day);
    void createIndexes();

    Options m_options;
    Summary m_summary;
    std::uint64_t m_state = 0;
    std::unique_ptr<sqlite3, CloseDb> m_db;   // declared before the statements: closed after them
    std::vector<Office> m_offices;
    std::vector<int> m_officeWeights;   // cumulative
    std::vector<Worker> m_workers;
    std::vector<std::vector<int>> m_regionWorkers;
    std::vector<int> m_categoryWeights; // cumulative
    std::vector<std::string> m_categoryCodes;
    qint64 m_categoryEndDay = 0;
    std::vector<int> m_candidates;      // scratch list of a region's active workers
    Statement m_orderInsert;
    Statement m_labourInsert;
};

} // namespace trellum
