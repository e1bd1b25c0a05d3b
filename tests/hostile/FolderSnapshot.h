#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace trellum::test {

// What a folder holds: every file's name (hidden ones too) with a SHA-256 of its content.
class FolderSnapshot {
public:
    // Reads the folder now.
    static FolderSnapshot of(const QString& folder);
    // The SHA-256 of one file ("" when it cannot be read).
    static QByteArray hashOf(const QString& path);

    // The names, sorted.
    QStringList names() const { return m_files.keys(); }
    // The hash of one file of the folder ("" when it is not there).
    QByteArray hash(const QString& name) const { return m_files.value(name); }
    // What differs from `before`: names added, removed or changed, one per line ("" when alike).
    QString changesSince(const FolderSnapshot& before) const;

private:
    QMap<QString, QByteArray> m_files;
};

} // namespace trellum::test
