#include "FlexGrid.h"

#include "GridModel.h"
#include "Twips.h"
#include "UiLook.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace trellum {

FlexGrid::FlexGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(new GridModel(this))
{
    setObjectName(QStringLiteral("MSFlexGrid1"));
    setModel(m_model);
    setUpView(this);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setFocusPolicy(Qt::StrongFocus);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: %1; }").arg(UiLook::gridLines().name()));
    const char* names[3] = { "frozenRows", "frozenColumn", "frozenCorner" };
    for (int i = 0; i < 3; ++i) {
        auto* view = new QTableView(this);
        view->setObjectName(QString::fromLatin1(names[i]));
        view->setModel(m_model);
        setUpView(view);
        view->setFocusPolicy(Qt::NoFocus);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setFrameShape(QFrame::NoFrame);
        view->viewport()->installEventFilter(this);
        view->viewport()->setMouseTracking(true);
        m_overlays[std::size_t(i)] = view;
    }
    frozenCorner()->raise();
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, frozenRows()->horizontalScrollBar(), &QScrollBar::setValue);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, frozenColumn()->verticalScrollBar(), &QScrollBar::setValue);
}

FlexGrid::~FlexGrid()
{
    if (m_grid)
        m_grid->setObserver({});
}

void FlexGrid::setUpView(QTableView* view) const
{
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->horizontalHeader()->setMinimumSectionSize(0);
    view->verticalHeader()->setMinimumSectionSize(0);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setDefaultSectionSize(Twips::toPixels(ReportGrid::kDefaultColWidth));
    view->verticalHeader()->setDefaultSectionSize(Twips::toPixels(ReportGrid::kDefaultRowHeight));
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->setTextElideMode(Qt::ElideNone);
    view->setCornerButtonEnabled(false);
    view->setFont(UiLook::gridFont());
}

void FlexGrid::setGrid(ReportGrid* grid)
{
    if (m_grid)
        m_grid->setObserver({});
    m_grid = grid;
    m_model->setGrid(grid);
    m_spans.clear();
    m_userWidths.clear();
    if (m_grid) {
        m_grid->setObserver([this] { gridChanged(); });
        gridChanged();
    }
}

QRect FlexGrid::cellRect(int row, int col) const
{
    return visualRect(m_model->index(row, col));
}

void FlexGrid::gridChanged()
{
    const bool reset = m_model->gridChanged();
    if (!m_grid)
        return;
    std::vector<CellSpan> spans = GridSpans::compute(*m_grid);
    const bool spansChanged = reset || spans != m_spans;
    m_spans = std::move(spans);
    const std::array<QTableView*, 4> views { this, m_overlays[0], m_overlays[1], m_overlays[2] };
    for (QTableView* view : views) {
        view->setWordWrap(m_grid->wordWrap());
        applySizes(view);
        if (spansChanged)
            applySpans(view);
    }
    setHidden(!m_grid->visible());
    placeOverlays();
    syncCurrent();
}

int FlexGrid::headerFitWidth(int col) const
{
    // The width at which each header text of a column wraps into the lines its cell has room for
    // (never a character per line), for the cells that are the column's own (not merged across).
    if (!m_grid->wordWrap())
        return 0;
    const QFontMetrics metrics(UiLook::gridFont());
    const int padding = 8;
    int widest = 0;
    for (int r = 0; r < std::min(m_grid->fixedRows(), m_grid->rows()); ++r) {
        const QString text = m_grid->text(r, col);
        if (text.isEmpty())
            continue;
        int height = Twips::toPixels(m_grid->rowHeight(r));
        bool covered = false;
        for (const CellSpan& s : m_spans) {
            if (col < s.col || col >= s.col + s.colSpan || r < s.row || r >= s.row + s.rowSpan)
                continue;
            covered = s.colSpan > 1 || r != s.row;
            height = 0;
            for (int k = s.row; k < s.row + s.rowSpan; ++k)
                height += Twips::toPixels(m_grid->rowHeight(k));
        }
        if (covered)
            continue;
        const int lines = std::max(1, (height - 2) / metrics.lineSpacing());
        const int characters = int(text.size());
        const int perLine = (characters + lines - 1) / lines;
        widest = std::max(widest, metrics.horizontalAdvance(text.left(perLine)) + metrics.averageCharWidth() / 2
                                      + padding);
    }
    return widest;
}

void FlexGrid::applySizes(QTableView* view) const
{
    QHeaderView* across = view->horizontalHeader();
    for (int c = 0; c < m_grid->cols() && c < across->count(); ++c) {
        const auto dragged = m_userWidths.find(c);
        const int px = dragged != m_userWidths.end()
            ? dragged->second
            : std::max(Twips::toPixels(m_grid->colWidth(c)), headerFitWidth(c));
        if (across->sectionSize(c) != px)
            across->resizeSection(c, px);
    }
    QHeaderView* down = view->verticalHeader();
    for (int r = 0; r < m_grid->rows() && r < down->count(); ++r) {
        const int px = Twips::toPixels(m_grid->rowHeight(r));
        if (down->sectionSize(r) != px)
            down->resizeSection(r, px);
    }
}

void FlexGrid::applySpans(QTableView* view) const
{
    view->clearSpans();
    for (const CellSpan& s : m_spans)
        view->setSpan(s.row, s.col, s.rowSpan, s.colSpan);
}

int FlexGrid::fixedHeight() const
{
    if (!m_grid)
        return 0;
    int h = 0;
    for (int r = 0; r < std::min(m_grid->fixedRows(), m_model->rowCount()); ++r)
        h += rowHeight(r);
    return h;
}

int FlexGrid::fixedWidth() const
{
    if (!m_grid)
        return 0;
    int w = 0;
    for (int c = 0; c < std::min(frozenCols(), m_model->columnCount()); ++c)
        w += columnWidth(c);
    return w;
}

int FlexGrid::frozenCols() const
{
    if (!m_grid)
        return 0;
    // The names stay beside their numbers, as the header column does.
    const int names = m_grid->fixedCols() + 1;
    return m_grid->cols() > names ? names : std::min(m_grid->fixedCols(), m_grid->cols());
}

QString FlexGrid::selectionText() const
{
    if (!m_grid)
        return QString();
    QModelIndexList cells = selectionModel()->selectedIndexes();
    if (cells.isEmpty() && currentIndex().isValid())
        cells << currentIndex();
    if (cells.isEmpty())
        return QString();
    int top = cells.front().row(), bottom = top, left = cells.front().column(), right = left;
    for (const QModelIndex& i : cells) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    // A cell holding a tab, a line break or a quote is quoted, its quotes doubled, as spreadsheets
    // write and read them.
    auto cell = [](const QString& text) {
        if (!text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))
            && !text.contains(QLatin1Char('"')))
            return text;
        QString quoted = text;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + quoted + QLatin1Char('"');
    };
    QStringList lines;
    for (int r = top; r <= bottom; ++r) {
        QStringList row;
        for (int c = left; c <= right; ++c)
            row << cell(m_grid->text(r, c));
        lines << row.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void FlexGrid::copySelection()
{
    const QString text = selectionText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void FlexGrid::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::Copy) {
        copySelection();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void FlexGrid::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("复制"), this, &FlexGrid::copySelection);
    copy->setObjectName(QStringLiteral("复制"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(!selectionText().isEmpty());
    QAction* save = menu.addAction(QStringLiteral("导出Excel"), this, &FlexGrid::exportRequested);
    save->setObjectName(QStringLiteral("导出Excel"));
    menu.exec(event->globalPos());
}

int FlexGrid::edgeAt(const QTableView* view, int x) const
{
    // The right edge of a column within a few pixels of x, in the view's viewport; -1 for none.
    constexpr int kGrip = 3;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (view->isColumnHidden(c) || view->columnWidth(c) <= 0)
            continue;
        const int right = view->columnViewportPosition(c) + view->columnWidth(c);
        if (std::abs(x - right) <= kGrip)
            return c;
    }
    return -1;
}

void FlexGrid::setColumnWidthEverywhere(int col, int px)
{
    m_userWidths[col] = px;
    for (QTableView* view : { static_cast<QTableView*>(this), m_overlays[0], m_overlays[1], m_overlays[2] })
        view->setColumnWidth(col, px);
    placeOverlays();
}

bool FlexGrid::resizeFromHeader(QTableView* view, QEvent* event)
{
    // In the header rows a column's right edge is a grip: the pointer shows it, and a drag moves it.
    auto* mouse = static_cast<QMouseEvent*>(event);
    const int x = int(mouse->position().x());
    switch (event->type()) {
    case QEvent::MouseMove:
        if (m_resizing >= 0) {
            const int width = std::max(8, m_resizeWidth + int(mouse->globalPosition().x()) - m_resizeFrom);
            setColumnWidthEverywhere(m_resizing, width);
        } else {
            view->viewport()->setCursor(edgeAt(view, x) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
        }
        return true;
    case QEvent::MouseButtonPress:
        if (mouse->button() == Qt::LeftButton) {
            m_resizing = edgeAt(view, x);
            if (m_resizing >= 0) {
                m_resizeFrom = int(mouse->globalPosition().x());
                m_resizeWidth = view->columnWidth(m_resizing);
            }
        }
        return true;
    case QEvent::MouseButtonRelease:
        m_resizing = -1;
        return true;
    default:
        return true;
    }
}

void FlexGrid::placeOverlays()
{
    if (!m_overlays[2])
        return; // still being made
    const QRect vp = viewport()->geometry();
    const int fh = std::min(fixedHeight(), vp.height());
    const int fw = std::min(fixedWidth(), vp.width());
    frozenRows()->setGeometry(vp.x(), vp.y(), vp.width(), fh);
    frozenColumn()->setGeometry(vp.x(), vp.y(), fw, vp.height());
    frozenCorner()->setGeometry(vp.x(), vp.y(), fw, fh);
    frozenRows()->setVisible(fh > 0);
    frozenColumn()->setVisible(fw > 0);
    frozenCorner()->setVisible(fh > 0 && fw > 0);
    frozenRows()->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
    frozenColumn()->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void FlexGrid::syncCurrent()
{
    QModelIndex target;
    if (m_grid && m_grid->row() >= m_grid->fixedRows() && m_grid->col() >= m_grid->fixedCols())
        target = m_model->index(m_grid->row(), m_grid->col());
    if (target == currentIndex())
        return;
    m_syncing = true;
    if (target.isValid())
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    else
        selectionModel()->clearCurrentIndex();
    m_syncing = false;
}

void FlexGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    placeOverlays();
}

void FlexGrid::updateGeometries()
{
    QTableView::updateGeometries();
    placeOverlays();
}

QModelIndex FlexGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex moved = QTableView::moveCursor(action, modifiers);
    if (!m_grid || !moved.isValid())
        return moved;
    const int fr = m_grid->fixedRows();
    const int fc = m_grid->fixedCols();
    if (m_model->rowCount() <= fr || m_model->columnCount() <= fc)
        return QModelIndex();
    return m_model->index(std::max(moved.row(), fr), std::max(moved.column(), fc));
}

void FlexGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (m_syncing || !index.isValid())
        return;
    QTableView::scrollTo(index, hint);
    if (!m_grid)
        return;
    // Keep the cell out from under the frozen header rows and column.
    const QRect r = visualRect(index);
    const int fh = fixedHeight();
    const int fw = fixedWidth();
    if (index.row() >= m_grid->fixedRows() && r.top() < fh)
        verticalScrollBar()->setValue(verticalScrollBar()->value() - (fh - r.top()));
    if (index.column() >= frozenCols() && r.left() < fw)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - (fw - r.left()));
}

void FlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !m_grid || !current.isValid())
        return;
    m_grid->setRow(current.row());
    m_grid->setCol(current.column());
    Q_EMIT currentCellChanged(current.row(), current.column());
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* event)
{
    // Only the frozen views' viewports are ours to filter; the view itself is a filter on its own
    // scroll bars and viewport too, and what reaches it from there goes on as usual.
    const bool frozen = std::any_of(m_overlays.begin(), m_overlays.end(),
                                    [watched](const QTableView* view) { return view && watched == view->viewport(); });
    if (!frozen)
        return QTableView::eventFilter(watched, event);
    // The frozen views do not scroll or take the current cell of their own: the wheel scrolls the
    // data (once, as over the data themselves); in the header rows the mouse moves column edges;
    // a click on a name in the frozen names column picks its cell, as a click on the data does.
    const bool headerRows = watched == frozenRows()->viewport() || watched == frozenCorner()->viewport();
    auto* view = static_cast<QTableView*>(watched->parent());
    switch (event->type()) {
    case QEvent::Wheel:
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        if (headerRows || m_resizing >= 0)
            return resizeFromHeader(view, event);
        if (event->type() == QEvent::MouseButtonPress && m_grid
            && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            const QModelIndex at = view->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            if (at.isValid() && at.row() >= m_grid->fixedRows() && at.column() >= m_grid->fixedCols()) {
                setFocus(Qt::MouseFocusReason);
                selectionModel()->setCurrentIndex(m_model->index(at.row(), at.column()),
                                                  QItemSelectionModel::ClearAndSelect);
            }
        }
        return true;
    case QEvent::ContextMenu:
        contextMenuEvent(static_cast<QContextMenuEvent*>(event));
        return true;
    case QEvent::MouseButtonDblClick:
        return true;
    default:
        return QTableView::eventFilter(watched, event);
    }
}

} // namespace trellum
