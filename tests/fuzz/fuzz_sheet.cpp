// Fuzzes the workbook model's operations: any sequence of writes, merges and styles on a small
// sheet keeps the model sound (merges never overlap, a merged area holds its value in its
// top-left cell only), and the sheet always writes as a workbook (one input in eight is written).
#include "Sheet.h"
#include "XlsxWorkbook.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

using namespace trellum;

namespace {

struct Reader {
    const std::uint8_t* p;
    std::size_t n;
    bool more() const { return n > 0; }
    std::uint8_t byte()
    {
        if (!n)
            return 0;
        --n;
        return *p++;
    }
    int coordinate(int limit) { return 1 + byte() % limit; }
    SheetRange range()
    {
        const int a = coordinate(24), b = coordinate(24), c = coordinate(12), d = coordinate(12);
        // now and then an inverted or out-of-sheet range, which the model must refuse quietly
        if (byte() % 16 == 0)
            return { b, d, a - 3, c - 3 };
        return { std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d) };
    }
    QString text()
    {
        static const char* const texts[] = { "", "12.50", "-3", " 7 ", "1e5", "合计", "x'y", "0012", "1,000", "+", ".", "\"" };
        return QString::fromUtf8(texts[byte() % (sizeof texts / sizeof *texts)]);
    }
};

void check(const Sheet& sheet)
{
    const auto& merges = sheet.merges();
    for (std::size_t i = 0; i < merges.size(); ++i) {
        const SheetRange& m = merges[i];
        if (m.top < 1 || m.left < 1 || m.bottom < m.top || m.right < m.left || (m.top == m.bottom && m.left == m.right))
            std::abort();
        for (std::size_t j = i + 1; j < merges.size(); ++j)
            if (m.overlaps(merges[j]))
                std::abort();
        for (int r = m.top; r <= m.bottom; ++r)
            for (int c = m.left; c <= m.right; ++c)
                if ((r != m.top || c != m.left) && sheet.value(r, c).kind != CellValue::Kind::Empty)
                    std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Reader in { data, size };
    Sheet sheet;
    while (in.more()) {
        switch (in.byte() % 12) {
        case 0: sheet.setText(in.coordinate(24), in.coordinate(12), in.text()); break;
        case 1: sheet.merge(in.range()); break;
        case 2: sheet.setAlignment(in.range(), SheetAlign(in.byte() % 4)); break;
        case 3: sheet.setColumnWidth(in.coordinate(12), in.byte() / 7.0); break;
        case 4: sheet.setRowHeight(in.coordinate(24), in.byte() / 3.0); break;
        case 5: sheet.setRowWrap(in.coordinate(24), in.byte() & 1); break;
        case 6: sheet.setNumberFormat(in.range(), in.byte() & 1 ? QStringLiteral("#0.00") : QStringLiteral("#0")); break;
        case 7: sheet.setFill(in.range(), BgrColour(in.byte()) << 16 | BgrColour(in.byte()) << 8 | in.byte()); break;
        case 8: sheet.setFontName(in.range(), QStringLiteral("微软雅黑")); break;
        case 9: sheet.setFontBold(in.range(), in.byte() & 1); break;
        case 10: sheet.setFontSize(in.range(), 6 + in.byte() % 20); break;
        case 11: sheet.setBorders(in.range()); break;
        }
        check(sheet);
    }
    // writing a workbook costs milliseconds: one input in eight is written out
    if (size == 0 || data[0] % 8 != 0)
        return 0;
    static const QString target = QDir::tempPath() + QStringLiteral("/trellum-fuzz-sheet-%1.xlsx").arg(getpid());
    if (XlsxWorkbook(sheet).saveAs(target))
        std::abort();
    QFile::remove(target);
    return 0;
}
