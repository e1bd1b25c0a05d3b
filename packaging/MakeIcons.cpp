// trellum-make-icons DIR: draws the program's icon files for the desktop's menus into DIR, laid out
// as the hicolor icon theme is: hicolor/NxN/apps/trellum.png and hicolor/scalable/apps/trellum.svg.

#include "ProgramIcon.h"

#include <QDir>
#include <QPainter>
#include <QString>
#include <QSvgGenerator>

#include <cstdio>

namespace {

constexpr int kSizes[] = { 16, 22, 24, 32, 48, 64, 128, 256 };
constexpr int kScalableSide = 256;

bool fail(const QString& path)
{
    std::fprintf(stderr, "trellum-make-icons: cannot write %s\n", qPrintable(path));
    return false;
}

bool writePicture(const QDir& theme, int side)
{
    const QString folder = QStringLiteral("%1x%1/apps").arg(side);
    const QString path = theme.filePath(folder + QStringLiteral("/trellum.png"));
    if (!theme.mkpath(folder) || !trellum::ProgramIcon::picture(side).save(path, "PNG"))
        return fail(path);
    return true;
}

bool writeScalable(const QDir& theme)
{
    const QString folder = QStringLiteral("scalable/apps");
    const QString path = theme.filePath(folder + QStringLiteral("/trellum.svg"));
    if (!theme.mkpath(folder))
        return fail(path);
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(kScalableSide, kScalableSide));
    svg.setViewBox(QRect(0, 0, kScalableSide, kScalableSide));
    svg.setTitle(QStringLiteral("Trellum"));
    QPainter p;
    if (!p.begin(&svg))
        return fail(path);
    trellum::ProgramIcon::paint(p, kScalableSide, true);
    if (!p.end())
        return fail(path);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: trellum-make-icons DIR\n");
        return 2;
    }
    const QDir theme(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor"));
    bool ok = writeScalable(theme);
    for (int side : kSizes)
        ok = writePicture(theme, side) && ok;
    return ok ? 0 : 1;
}
