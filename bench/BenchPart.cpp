#include "BenchPart.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace trellum::bench {

BenchPart::BenchPart(int order, const QString& title)
    : m_order(order)
    , m_title(title)
{
}

QString BenchPart::save(const QString& path) const
{
    QJsonArray figures;
    for (const BenchFigure& f : m_figures)
        figures.append(f.toJson());
    QJsonObject o;
    o.insert(QStringLiteral("order"), m_order);
    o.insert(QStringLiteral("title"), m_title);
    o.insert(QStringLiteral("markdown"), m_markdown);
    o.insert(QStringLiteral("figures"), figures);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1").arg(path);
    file.write(QJsonDocument(o).toJson(QJsonDocument::Indented));
    return file.commit() ? QString() : QStringLiteral("cannot write %1").arg(path);
}

QString BenchPart::seconds(double s)
{
    if (s >= 100)
        return QString::number(s, 'f', 0);
    if (s >= 10)
        return QString::number(s, 'f', 1);
    if (s >= 1)
        return QString::number(s, 'f', 2);
    if (s >= 0.001)
        return QString::number(s, 'f', 4);
    return QString::number(s, 'f', 6);
}

QString BenchPart::ratio(double r)
{
    return r >= 100 ? QString::number(r, 'f', 0) : QString::number(r, 'f', 2);
}

} // namespace trellum::bench
