#include "NameOnlyIconProvider.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace trellum {

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const
{
    if (info.isRoot())
        return icon(QAbstractFileIconProvider::Drive);
    return icon(info.isDir() ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const
{
    if (!info.isFile())
        return QFileIconProvider::type(info); // folders, drives and links: no file is read
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

} // namespace trellum
