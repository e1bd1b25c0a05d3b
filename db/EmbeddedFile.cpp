#include "EmbeddedFile.h"

#include "LongPathVfs.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <unistd.h>

namespace trellum {

namespace {

// The system's limit of a path, its final zero included.
constexpr qsizetype kSystemPathBytes = 4096;

// Bytes 18 and 19 of the database header, the file format's write and read versions: 2 in WAL mode.
bool walHeader(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(20);
    return head.size() == 20 && head.startsWith("SQLite format 3") && head[18] == 2 && head[19] == 2;
}

} // namespace

EmbeddedFile EmbeddedFile::inspect(const QString& path)
{
    EmbeddedFile f;
    f.m_path = path;
    const QFileInfo info(path);
    f.m_fullPath = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    f.m_fullPathBytes = QFile::encodeName(f.m_fullPath).size();
    f.m_wal = walHeader(path);
    f.m_shm = QFileInfo::exists(f.m_fullPath + QStringLiteral("-shm"));
    const QFileInfo wal(f.m_fullPath + QStringLiteral("-wal"));
    f.m_walContent = wal.exists() && wal.size() > 0;
    const QFileInfo journal(f.m_fullPath + QStringLiteral("-journal"));
    f.m_journal = journal.exists() && journal.size() > 0;
    // the folder of the file itself, where SQLite makes the -shm file (read-only media fail here too)
    f.m_folderWritable = ::access(QFile::encodeName(QFileInfo(f.m_fullPath).path()).constData(), W_OK) == 0;
    f.m_immutable = f.m_wal && !f.m_shm && !f.m_folderWritable && !f.m_walContent;
    return f;
}

DbStatus EmbeddedFile::refusal() const
{
    // Beyond the platform layer's limit the database file itself is read through a layer with room
    // for a longer path; that layer cannot open a -wal or -journal file.
    if (m_fullPathBytes > LongPathVfs::platformLimit()
        && (m_wal || m_walContent || m_journal || !LongPathVfs::name() || m_fullPathBytes + 8 > kSystemPathBytes))
        return DbError { SQLITE_CANTOPEN,
                         QStringLiteral("数据库文件的路径太长（%1 字节）：路径超过 %2 字节时，只能读取没有 -wal、-journal "
                                        "日志的数据库，请把数据库移到路径较短的文件夹: %3")
                             .arg(m_fullPathBytes)
                             .arg(LongPathVfs::platformLimit())
                             .arg(m_path) };
    if (m_wal && !m_shm && !m_folderWritable && m_walContent)
        return DbError { SQLITE_CANTOPEN,
                         QStringLiteral("数据库文件使用 WAL 日志，其 -wal 文件里还有没写回数据库的内容，但 -shm 文件"
                                        "不存在，所在文件夹又不能写入，本程序读不到这些内容。请由有写入权限的程序打开并"
                                        "关闭一次数据库，或把数据库连同 -wal 文件复制到可写的文件夹: %1")
                             .arg(m_path) };
    return std::nullopt;
}

bool EmbeddedFile::longPath() const
{
    return m_fullPathBytes > LongPathVfs::platformLimit();
}

QString EmbeddedFile::openName() const
{
    if (!m_immutable && !longPath())
        return m_path;
    const QString uri = QStringLiteral("file:") + QString::fromLatin1(QUrl::toPercentEncoding(m_fullPath, "/"))
        + QStringLiteral("?mode=ro");
    return uri + (m_immutable ? QStringLiteral("&immutable=1") : QString())
        + (longPath() ? QStringLiteral("&vfs=") + QString::fromLatin1(LongPathVfs::name()) : QString());
}

QString EmbeddedFile::connectOptions() const
{
    return m_immutable || longPath() ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=2000")
                                     : QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000");
}

DbError EmbeddedFile::explain(const DbError& error) const
{
    const QFileInfo journal(m_fullPath + QStringLiteral("-journal"));
    const bool readOnlyRefusal = error.number == SQLITE_READONLY || error.number == SQLITE_READONLY_ROLLBACK
        || error.description.contains(QStringLiteral("readonly database"));
    if (!readOnlyRefusal || !journal.exists() || journal.size() == 0)
        return error;
    return DbError { SQLITE_READONLY_ROLLBACK,
                     QStringLiteral("数据库上次写入时中断，留下了未完成的回滚日志 %1，需要由有写入权限的程序打开一次"
                                    "数据库来恢复；本程序只读数据库，不能恢复它: %2")
                         .arg(journal.fileName(), m_path) };
}

} // namespace trellum
