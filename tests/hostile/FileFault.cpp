#include "FileFault.h"

#include "SqlFunctions.h"

#include <QFile>

#include <sqlite3.h>

namespace trellum::test {

bool FileFault::overwrite(const QString& path, const QByteArray& content)
{
    QFile file(path);
    // ReadWrite keeps the file (its inode) and cuts it afterwards, unlike a fresh write
    if (!file.open(QIODevice::ReadWrite))
        return false;
    return file.write(content) == content.size() && file.resize(content.size());
}

bool FileFault::truncate(const QString& path, qint64 bytes)
{
    return QFile::resize(path, bytes);
}

bool FileFault::scramble(const QString& path, qint64 offset)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(offset))
        return false;
    QByteArray noise(int(file.size() - offset), '\0');
    quint32 x = 2463534242u;
    for (char& c : noise) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = char(x & 0xFF);
    }
    if (file.write(noise) != noise.size())
        return false;
    // as a writer would, advance the file change counter (bytes 24 to 27), so that readers notice
    char counter = 0;
    return file.seek(27) && file.getChar(&counter) && file.seek(27) && file.putChar(char(counter + 1));
}

bool FileFault::alter(const QString& path, const QString& statements)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    registerTsqlFunctions(db);
    const bool ok = sqlite3_exec(db, statements.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

bool FileFault::dropIndexes(const QString& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    registerTsqlFunctions(db);
    QStringList drops;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL", -1, &st,
                           nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            drops << QStringLiteral("DROP INDEX \"%1\";")
                         .arg(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))));
    sqlite3_finalize(st);
    const bool ok = sqlite3_exec(db, drops.join(QString()).toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

FileFault::Lock::Lock(const QString& path)
    : m_process(std::make_unique<QProcess>())
{
    // Python's sqlite3 module takes the lock in a process of its own and keeps it while its
    // standard input stays open.
    const QString script = QStringLiteral(
        "import sqlite3, sys\n"
        "c = sqlite3.connect(sys.argv[1], isolation_level=None)\n"
        "c.execute('BEGIN EXCLUSIVE')\n"
        "print('locked', flush=True)\n"
        "sys.stdin.read()\n");
    m_process->start(QStringLiteral("/usr/bin/python3"), { QStringLiteral("-c"), script, path });
    if (!m_process->waitForStarted(10000))
        return;
    for (int wait = 0; wait < 3 && m_process->state() == QProcess::Running && !m_process->canReadLine(); ++wait)
        m_process->waitForReadyRead(10000);
    m_held = m_process->readLine().trimmed() == "locked";
}

FileFault::Lock::~Lock()
{
    release();
}

void FileFault::Lock::release()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->closeWriteChannel();
        if (!m_process->waitForFinished(10000)) {
            m_process->kill();
            m_process->waitForFinished(10000);
        }
    }
    m_held = false;
}

} // namespace trellum::test
