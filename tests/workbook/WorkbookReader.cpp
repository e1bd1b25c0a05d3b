#include "WorkbookReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStringList>

namespace trellum::test {

namespace {

// Debian's own interpreter, which sees Debian's python3-openpyxl.
const QString kPython = QStringLiteral("/usr/bin/python3");

// read_workbook.py beside this file, as the build names it.
const QString kScript = QStringLiteral(TRELLUM_WORKBOOK_READER);

} // namespace

WorkbookReader::WorkbookReader(const QString& path)
{
    QProcess python;
    python.start(kPython, { kScript, path });
    if (!python.waitForFinished(-1) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        m_error = QStringLiteral("reader failed: ") + QString::fromUtf8(python.readAllStandardError());
        return;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(python.readAllStandardOutput(), &parse);
    if (!doc.isObject()) {
        m_error = QStringLiteral("reader output: ") + parse.errorString();
        return;
    }
    m_dump = doc.object();
}

QByteArray workbookParts(const QString& path)
{
    QProcess python;
    python.start(kPython,
                 { QStringLiteral("-c"),
                   QStringLiteral("import re, sys, zipfile\n"
                                  "z = zipfile.ZipFile(sys.argv[1])\n"
                                  "moment = re.compile(rb'(<dcterms:(created|modified)[^>]*>)[^<]*')\n"
                                  "for n in sorted(z.namelist()):\n"
                                  "    sys.stdout.buffer.write(n.encode() + b'\\n' + moment.sub(rb'\\1', z.read(n)) + b'\\n')\n"),
                   path });
    if (!python.waitForFinished(30000) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0)
        return QByteArray();
    return python.readAllStandardOutput();
}

QVariant WorkbookReader::property(const QString& cell, const QString& name) const
{
    const bool xml = name.startsWith(QStringLiteral("xml:"));
    const QJsonObject cells = m_dump.value(xml ? QStringLiteral("xml") : QStringLiteral("cells")).toObject();
    if (!cells.contains(cell))
        return {};
    const QJsonValue v = cells.value(cell).toObject().value(xml ? name.mid(4) : name);
    if (v.isArray()) {
        QStringList sides;
        for (const QJsonValue& s : v.toArray())
            sides << (s.isNull() ? QStringLiteral("-") : s.toString());
        return sides.join(QLatin1Char(','));
    }
    if (v.isNull())
        return QStringLiteral("null");
    return v.toVariant();
}

QString WorkbookReader::merges() const
{
    QStringList out;
    for (const QJsonValue& m : m_dump.value(QStringLiteral("merges")).toArray())
        out << m.toString();
    return out.join(QLatin1Char(' '));
}

} // namespace trellum::test
