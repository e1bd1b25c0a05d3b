#include "ReportWindow.h"

#include "CategoryBox.h"
#include "FilterPanel.h"
#include "FlexGrid.h"
#include "ReportStatusBar.h"
#include "Twips.h"
#include "TypeAnalysisPanel.h"
#include "UiLook.h"
#include "WaitCursor.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace trellum {

namespace {

constexpr int kTopBandHeight = 630;
constexpr int kButtonBarHeight = 585;
constexpr int kGridTop = 540;
constexpr int kDesignWidth = 15360;
constexpr int kDesignHeight = 9600;
constexpr int kProgressLeft = 105;      // ProgressBar1's margin, the same on both sides
constexpr int kLeastTreeHeight = 1200;  // the tree keeps room for the region and a few nodes
constexpr int kLeastProgressWidth = 1500;

QFrame* band(const QString& name, bool blue, QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setAutoFillBackground(true);
    if (blue) {
        QPalette pal = frame->palette();
        pal.setColor(QPalette::Window, UiLook::panelBlue());
        frame->setPalette(pal);
    }
    return frame;
}

} // namespace

ReportWindow::ReportWindow(ReportWindowInputs inputs, Messenger& messenger, SaveDialog& dialog,
                           QWidget* parent)
    : QWidget(parent)
    , m_info(inputs.report->info())
    , m_inputs(std::move(inputs))
    , m_report(m_inputs.report)
    , m_messenger(messenger)
    , m_dialog(dialog)
    , m_highlighter(m_info)
{
    setObjectName(m_info.windowName);
    setWindowTitle(m_info.caption);
    buildTopBand();
    m_filter = new FilterPanel(m_info, m_inputs.connection, messenger, this);
    buildResultArea();
    buildButtonBar();
    m_statusBar = new ReportStatusBar(this);
    resize(Twips::toPixels(kDesignWidth), Twips::toPixels(kDesignHeight));
    dockRegions();
    OpenReportWindow();
    setMinimumSize(smallestSize()); // with the status bar's names in place
}

ReportWindow::~ReportWindow()
{
    // A run that still goes is stopped, and nothing of it reaches the window any more.
    ++m_runSerial;
    m_runner.reset();
    m_view->setGrid(nullptr);
}

void ReportWindow::buildTopBand()
{
    m_topBand = band(QStringLiteral("Picture5"), true, this);
    auto* name = new QLabel(m_info.shortName, m_topBand);
    name->setObjectName(QStringLiteral("Label1(9)"));
    name->setFont(UiLook::yahei(12, true));
    QPalette pal = name->palette();
    pal.setColor(QPalette::WindowText, QColor(128, 0, 0));
    name->setPalette(pal);
    Twips::place(name, 240, 135, 6000, 390);
}

void ReportWindow::buildResultArea()
{
    m_resultArea = band(QStringLiteral("Picture2"), false, this);
    Twips::place(m_resultArea, FilterPanel::kWidthTwips, kTopBandHeight, 6000, 6000);
    m_view = new FlexGrid(m_resultArea);
    Twips::place(m_view, 0, kGridTop, 6000, 3000);
    m_view->setGrid(&m_grid);
    connect(m_view, &FlexGrid::currentCellChanged, this, [this] { HighlightCurrentRow(); });
    connect(m_view, &FlexGrid::exportRequested, this, [this] { exportGrid(); });

    m_titleBox = band(QStringLiteral("Picture4"), false, m_resultArea);
    Twips::place(m_titleBox, 0, 75, 2955, 465);
    m_title = new QLabel(m_info.title, m_titleBox);
    m_title->setObjectName(QStringLiteral("Label1(7)"));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setFont(UiLook::yahei(12, true));
    QPalette pal = m_title->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 128));
    m_title->setPalette(pal);
    Twips::place(m_title, 0, 0, 2955, 465);

    if (m_info.kind == ReportKind::MonthEnd) {
        m_typeAnalysis = new TypeAnalysisPanel(m_resultArea);
        Twips::place(m_typeAnalysis, 0, 4000, 6000, TypeAnalysisPanel::kHeightTwips);
    }
}

void ReportWindow::buildButtonBar()
{
    m_buttonBar = band(QStringLiteral("Picture3"), true, this);
    Twips::place(m_buttonBar, FilterPanel::kWidthTwips, kTopBandHeight + 6000, 6000, kButtonBarHeight);
    auto button = [this](const QString& name, const QString& text, int left) {
        auto* b = new QPushButton(text, m_buttonBar);
        b->setObjectName(name);
        b->setFont(UiLook::yahei(9));
        Twips::place(b, left, 90, 1215, 405);
        return b;
    };
    m_command5 = button(QStringLiteral("Command5"), m_info.runButton, 240);
    m_command2 = button(QStringLiteral("Command2"), QStringLiteral("导出Excel"), 1695);
    m_command3 = button(QStringLiteral("Command3"), QStringLiteral("打印…"), 3150);
    m_command4 = button(QStringLiteral("Command4"), QStringLiteral("导出PDF"), 4605);
    m_command1 = button(QStringLiteral("Command1"), QStringLiteral("退出"), 6000);
    connect(m_command5, &QPushButton::clicked, this, [this] { pressRun(); });
    connect(m_command2, &QPushButton::clicked, this, [this] { exportGrid(); });
    connect(m_command3, &QPushButton::clicked, this, [this] { printGrid(); });
    connect(m_command4, &QPushButton::clicked, this, [this] { exportPdf(); });
    connect(m_command1, &QPushButton::clicked, this, [this] { closeWindow(); });

    m_progress = new QProgressBar(m_buttonBar);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setTextVisible(false);
    Twips::place(m_progress, kProgressLeft, 150, 6000, 285);
    m_progress->hide();
    m_progress->stackUnder(m_command5); // never over the buttons
}

QSize ReportWindow::sizeHint() const
{
    return QSize(Twips::toPixels(kDesignWidth), Twips::toPixels(kDesignHeight));
}

QSize ReportWindow::smallestSize() const
{
    using E = Twips::Edge;
    // Down the window: the top band, the filter panel with its controls above the tree, the tree
    // with room for a few nodes and the category box, and the status bar.
    const int height = kTopBandHeight + m_info.treeTopTwips + kLeastTreeHeight + CategoryBox::kHeightTwips
        + m_statusBar->heightTwips();
    // Across: the filter panel, then a button bar holding the run, export, print and PDF buttons
    // where they stand, a progress bar with its margins, and the close button as far from the right
    // edge as the run button is from the left.
    const int bar = Twips::get(m_command4, E::Left) + Twips::get(m_command4, E::Width) + 2 * kProgressLeft
        + kLeastProgressWidth + Twips::get(m_command1, E::Width) + Twips::get(m_command5, E::Left);
    const int width = FilterPanel::kWidthTwips + bar + 30;
    return QSize(std::max(Twips::toPixels(width), m_statusBar->minimumSizeHint().width()), Twips::toPixels(height));
}

void ReportWindow::OpenReportWindow()
{
    WaitCursor wait;
    m_statusBar->setPanelText(2, m_inputs.employeeName);
    m_statusBar->setPanelText(4, m_inputs.departmentName);
    m_statusBar->setPanelText(6, m_inputs.positionName);
    m_filter->setPeriod(QDate::currentDate());
    if (m_typeAnalysis) {
        m_typeAnalysis->clearAndLockBoxes();
        m_typeAnalysis->clearRemark();
    }
    if (m_info.kind == ReportKind::Ledger)
        m_highlighter.reset();
    m_filter->LoadRegions();
    m_filter->LoadCategories();
    m_report->layoutGrid(m_grid, m_filter->categories());
}

void ReportWindow::dockRegions()
{
    // The docked regions follow the window as docked controls do: the top band across the top,
    // the status bar along the bottom, the filter panel down the left between them.
    const int width = Twips::fromPixels(this->width());
    const int height = Twips::fromPixels(this->height());
    const int status = m_statusBar->heightTwips();
    Twips::place(m_topBand, 0, 0, width, kTopBandHeight);
    Twips::place(m_statusBar, 0, height - status, width, status);
    Twips::place(m_filter, 0, kTopBandHeight, FilterPanel::kWidthTwips, height - kTopBandHeight - status);
}

void ReportWindow::LayoutReportWindow()
{
    using E = Twips::Edge;
    const int innerWidth = Twips::fromPixels(width());
    const int innerHeight = Twips::fromPixels(height());
    const int topBand = Twips::get(m_topBand, E::Height);
    const int panel = Twips::get(m_filter, E::Width);
    const int buttons = Twips::get(m_buttonBar, E::Height);
    const int status = Twips::get(m_statusBar, E::Height);

    Twips::set(m_resultArea, E::Top, topBand);
    Twips::set(m_resultArea, E::Left, panel);
    Twips::set(m_resultArea, E::Height, innerHeight - topBand - buttons - status);
    Twips::set(m_resultArea, E::Width, innerWidth - panel - 30);
    const int areaWidth = Twips::get(m_resultArea, E::Width);
    const int areaHeight = Twips::get(m_resultArea, E::Height);
    Twips::set(m_buttonBar, E::Left, Twips::get(m_resultArea, E::Left));
    Twips::set(m_buttonBar, E::Width, areaWidth);
    Twips::set(m_buttonBar, E::Top, topBand + areaHeight);
    Twips::set(m_titleBox, E::Left, (areaWidth - Twips::get(m_titleBox, E::Width)) / 2);
    int analysisHeight = 0;
    if (m_typeAnalysis) {
        analysisHeight = Twips::get(m_typeAnalysis, E::Height);
        Twips::set(m_typeAnalysis, E::Left, 0);
        Twips::set(m_typeAnalysis, E::Top, areaHeight - analysisHeight);
        Twips::set(m_typeAnalysis, E::Width, areaWidth);
    }
    const int barWidth = Twips::get(m_buttonBar, E::Width);
    Twips::set(m_progress, E::Width, barWidth - 2 * kProgressLeft);
    Twips::set(m_view, E::Width, areaWidth - Twips::get(m_view, E::Left) - 60);
    Twips::set(m_view, E::Height, areaHeight - Twips::get(m_view, E::Top) - 60 - analysisHeight);
    Twips::set(m_command1, E::Left,
               barWidth - Twips::get(m_command5, E::Left) - Twips::get(m_command1, E::Width));
    fitProgress();
}

void ReportWindow::fitProgress()
{
    using E = Twips::Edge;
    const int barWidth = Twips::get(m_buttonBar, E::Width);
    // While an export runs the buttons are hidden and the bar spans the button bar. Once they are
    // back with the bar still showing (after a failed export), the bar keeps its row and its last
    // value between the PDF and the close button, clear of them all.
    if (m_progress->isHidden() || m_command1->isHidden()) {
        Twips::set(m_progress, E::Left, kProgressLeft);
        Twips::set(m_progress, E::Width, barWidth - 2 * kProgressLeft);
        return;
    }
    const int left = Twips::get(m_command4, E::Left) + Twips::get(m_command4, E::Width) + kProgressLeft;
    Twips::set(m_progress, E::Left, left);
    if (!Twips::set(m_progress, E::Width, Twips::get(m_command1, E::Left) - kProgressLeft - left))
        Twips::set(m_progress, E::Width, 0);
}

void ReportWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    dockRegions();
    LayoutReportWindow();
}

void ReportWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    LayoutReportWindow();
}

} // namespace trellum
