#include "ProgramIcon.h"

#include <QtTest>

#include <QPainter>
#include <QSvgRenderer>

#include <cstdlib>

using namespace trellum;

namespace {

const QString kTheme = QStringLiteral(TRELLUM_ICON_THEME);

// The share of pixels of `a` and `b` (same size) that differ by more than a step of antialiasing.
double differingShare(const QImage& a, const QImage& b)
{
    qsizetype differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 48 || std::abs(qGreen(p) - qGreen(q)) > 48
                || std::abs(qBlue(p) - qBlue(q)) > 48 || std::abs(qAlpha(p) - qAlpha(q)) > 48)
                ++differing;
        }
    return double(differing) / double(a.width() * a.height());
}

} // namespace

// The icon files the menus show are the windows' icon, drawn by the same code.
class TestIconFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void picturesAreTheWindowsIcon_data()
    {
        QTest::addColumn<int>("side");
        for (int side : { 16, 22, 24, 32, 48, 64, 128, 256 })
            QTest::addRow("%dx%d", side, side) << side;
    }

    void picturesAreTheWindowsIcon()
    {
        QFETCH(int, side);
        const QImage file(kTheme + QStringLiteral("/%1x%1/apps/trellum.png").arg(side));
        QCOMPARE(file.size(), QSize(side, side));
        QCOMPARE(file.convertToFormat(QImage::Format_ARGB32), ProgramIcon::picture(side).convertToFormat(QImage::Format_ARGB32));
    }

    void scalableIconDrawsTheSameMark()
    {
        QSvgRenderer svg(kTheme + QStringLiteral("/scalable/apps/trellum.svg"));
        QVERIFY(svg.isValid());
        QCOMPARE(svg.viewBox(), QRect(0, 0, 256, 256));
        QImage drawn(256, 256, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        QPainter p(&drawn);
        svg.render(&p);
        p.end();
        const QImage expected = ProgramIcon::picture(256);
        QVERIFY2(differingShare(drawn.convertToFormat(QImage::Format_ARGB32), expected.convertToFormat(QImage::Format_ARGB32)) < 0.01,
                 "the SVG icon differs from the drawn one");
    }
};

QTEST_MAIN(TestIconFiles)
#include "test_iconfiles.moc"
