#include "FilterPanel.h"

#include "CategoryBox.h"
#include "DatePicker.h"
#include "FilterQueries.h"
#include "Messenger.h"
#include "Twips.h"
#include "UiLook.h"
#include "WaitCursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <array>
#include <utility>

namespace trellum {

namespace {

constexpr int kMargin = 105;
constexpr int kInnerWidth = FilterPanel::kWidthTwips - 2 * kMargin;

// The tree's two icons, drawn here: the region (root) and an office or worker (child).
QIcon nodeIcon(bool root)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (root) {
        p.setBrush(QColor(40, 110, 190));
        p.setPen(QColor(20, 60, 120));
        p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 2, 2);
        p.setPen(QPen(Qt::white, 1.5));
        p.drawLine(QPointF(4, 9), QPointF(7, 6));
        p.drawLine(QPointF(7, 6), QPointF(12, 10));
    } else {
        p.setBrush(QColor(70, 160, 90));
        p.setPen(QColor(30, 100, 50));
        QPolygonF house;
        house << QPointF(8, 1.5) << QPointF(14.5, 7) << QPointF(12.5, 7) << QPointF(12.5, 14.5)
              << QPointF(3.5, 14.5) << QPointF(3.5, 7) << QPointF(1.5, 7);
        p.drawPolygon(house);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 9.5, 3, 5));
    }
    return QIcon(pm);
}

QLabel* caption(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(UiLook::yahei(9));
    return label;
}

} // namespace

FilterPanel::FilterPanel(const ReportInfo& info, std::function<DbConnection&()> connection, Messenger& messenger,
                         QWidget* parent)
    : QFrame(parent)
    , m_info(info)
    , m_connection(std::move(connection))
    , m_messenger(messenger)
{
    setObjectName(QStringLiteral("Picture1"));
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, UiLook::panelBlue());
    setPalette(pal);

    int top = 60;
    if (info.treeOfWorkers()) {
        m_option1 = new QRadioButton(QStringLiteral("计算工作日"), this);
        m_option1->setObjectName(QStringLiteral("Option1"));
        m_option2 = new QRadioButton(QStringLiteral("考勤工作日"), this);
        m_option2->setObjectName(QStringLiteral("Option2"));
        for (QRadioButton* b : { m_option1, m_option2 })
            b->setFont(UiLook::yahei(9));
        Twips::place(m_option1, kMargin, top, 1700, 300);
        Twips::place(m_option2, kMargin + 1900, top, 1700, 300);
        m_option1->setChecked(true);
        connect(m_option2, &QRadioButton::clicked, this, [this] {
            inform(m_messenger, kReportMessageTitle, QStringLiteral("工作日数据来自考勤数据库,目前暂无考勤数据库!"));
            m_option1->setChecked(true);
        });
        top += 360;
    }

    // Beside the period's caption, buttons for the periods asked for most: 本月, 上月, 本年.
    constexpr int kQuickWidth = 540;
    constexpr int kQuickGap = 45;
    const int quickLeft = kMargin + kInnerWidth - 3 * kQuickWidth - 2 * kQuickGap;
    Twips::place(caption(QStringLiteral("Label1(0)"), info.dateLabel, this), kMargin, top, quickLeft - kMargin, 240);
    const std::array<std::pair<const char*, const char*>, 3> quick { { { "cmdThisMonth", "本月" },
                                                                      { "cmdLastMonth", "上月" },
                                                                      { "cmdThisYear", "本年" } } };
    for (std::size_t i = 0; i < quick.size(); ++i) {
        auto* b = new QPushButton(QString::fromUtf8(quick[i].second), this);
        b->setObjectName(QString::fromLatin1(quick[i].first));
        b->setFont(UiLook::yahei(8));
        b->setFocusPolicy(Qt::TabFocus);
        Twips::place(b, quickLeft + int(i) * (kQuickWidth + kQuickGap), top - 15, kQuickWidth, 270);
        connect(b, &QPushButton::clicked, this, [this, i] {
            const QDate today = QDate::currentDate();
            const QDate month(today.year(), today.month(), 1);
            if (i == 0)
                setPeriod(month, month.addMonths(1).addDays(-1));
            else if (i == 1)
                setPeriod(month.addMonths(-1), month.addDays(-1));
            else
                setPeriod(QDate(today.year(), 1, 1), QDate(today.year(), 12, 31));
        });
    }
    m_start = new DatePicker(this);
    m_start->setObjectName(QStringLiteral("DTPicker1"));
    m_end = new DatePicker(this);
    m_end->setObjectName(QStringLiteral("DTPicker2"));
    for (QDateEdit* picker : { m_start, m_end }) {
        picker->setCalendarPopup(true);
        picker->setFont(UiLook::yahei(9));
    }
    Twips::place(m_start, kMargin, top + 270, 1590, 330);
    auto* to = caption(QStringLiteral("Label1(1)"), QStringLiteral("至"), this);
    to->setAlignment(Qt::AlignCenter);
    Twips::place(to, kMargin + 1590, top + 270, 570, 330);
    Twips::place(m_end, kMargin + 2160, top + 270, 1590, 330);

    Twips::place(caption(QStringLiteral("Label1(2)"), QStringLiteral("选择区域"), this), kMargin, top + 660, kInnerWidth,
                 240);
    m_regions = new QComboBox(this);
    m_regions->setObjectName(QStringLiteral("Combo1"));
    m_regions->setFont(UiLook::yahei(9));
    Twips::place(m_regions, kMargin, top + 900, kInnerWidth, 330);
    connect(m_regions, &QComboBox::activated, this, [this] { fillTree(); });

    Twips::place(caption(QStringLiteral("Label1(3)"), info.treeLabel, this), kMargin, info.treeTopTwips - 285, 2400,
                 270);
    m_check1 = new QCheckBox(QStringLiteral("全选"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check1->setFont(UiLook::yahei(9));
    Twips::place(m_check1, kMargin + kInnerWidth - 900, info.treeTopTwips - 300, 900, 300);
    connect(m_check1, &QCheckBox::clicked, this, [this] { SelectAllNodes(); });

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setFont(UiLook::yahei(9));
    Twips::place(m_tree, kMargin, info.treeTopTwips, kInnerWidth, 2000);
    connect(m_tree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
        if (!m_silent)
            PropagateNodeCheck(item);
    });

    m_categoryBox = new CategoryBox(this);
    Twips::place(m_categoryBox, 0, 6000, kWidthTwips, CategoryBox::kHeightTwips);
}

DbConnection& FilterPanel::db() const
{
    return m_connection();
}

void FilterPanel::showError(const DbError& error)
{
    inform(m_messenger, kReportMessageTitle, reportErrorText(error));
}

void FilterPanel::setPeriod(const QDate& day)
{
    for (QDateEdit* picker : { m_start, m_end }) {
        picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        picker->setDate(day);
    }
}

void FilterPanel::setPeriod(const QDate& start, const QDate& end)
{
    m_start->setDate(start);
    m_end->setDate(end);
}

void FilterPanel::LoadRegions()
{
    std::vector<RegionEntry> regions;
    const DbStatus status = loadRegions(db(), regions);
    m_regions->clear();
    m_regionEntries = regions;
    // Entries from the data show as plain text, shortened where they are too long for the list,
    // and whole in the tooltip.
    for (const RegionEntry& region : regions) {
        m_regions->addItem(region.text());
        m_regions->setItemData(m_regions->count() - 1, region.text(), Qt::ToolTipRole);
    }
    m_regions->setCurrentIndex(-1);
    if (status)
        showError(*status);
}

void FilterPanel::LoadCategories()
{
    CategoryTable table;
    const DbStatus status = loadCategories(db(), table);
    m_categories = table;
    m_categoryBox->clear();
    for (const CategoryEntry& entry : table)
        m_categoryBox->addEntry(entry);
    m_categoryBox->markFirst();
    if (status)
        showError(*status);
}

void FilterPanel::fillTree()
{
    const std::optional<RegionEntry> chosen = chosenRegion();
    if (!chosen)
        return;
    const RegionEntry region = *chosen;
    const QString entry = m_regions->currentText();
    m_check1->setChecked(false);
    WaitCursor wait;
    std::vector<TreeNode> nodes;
    const DbStatus status = loadTree(db(), m_info.tree, region, nodes);
    if (!nodes.empty())
        nodes.front().text = entry;

    m_silent = true;
    m_tree->setVisible(false);
    m_tree->clear();
    m_items.clear();
    m_nodes = nodes;
    QTreeWidgetItem* root = nullptr;
    for (const TreeNode& node : m_nodes) {
        auto* item = root ? new QTreeWidgetItem(root) : new QTreeWidgetItem(m_tree);
        item->setText(0, node.text);
        item->setToolTip(0, node.text);
        item->setIcon(0, nodeIcon(root == nullptr));
        item->setData(0, Qt::UserRole, node.key);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        if (!root)
            root = item;
        m_items.push_back(item);
    }
    m_tree->expandAll();
    m_tree->setVisible(true);
    m_silent = false;
    wait.release();
    if (status)
        showError(*status);
}

void FilterPanel::PropagateNodeCheck(QTreeWidgetItem* node)
{
    if (!node || node->childCount() == 0)
        return;
    const Qt::CheckState state = node->checkState(0);
    m_silent = true;
    for (int i = 0; i < node->childCount(); ++i)
        node->child(i)->setCheckState(0, state);
    m_silent = false;
}

void FilterPanel::SelectAllNodes()
{
    if (m_regions->currentIndex() < 0)
        return;
    const Qt::CheckState state = m_check1->isChecked() ? Qt::Checked : Qt::Unchecked;
    m_silent = true;
    for (QTreeWidgetItem* item : m_items)
        item->setCheckState(0, state);
    m_silent = false;
}

void FilterPanel::LayoutFilterPanel()
{
    const int height = Twips::get(this, Twips::Edge::Height);
    const int boxHeight = Twips::get(m_categoryBox, Twips::Edge::Height);
    Twips::set(m_categoryBox, Twips::Edge::Top, height - boxHeight + 45);
    Twips::set(m_tree, Twips::Edge::Height, height - Twips::get(m_tree, Twips::Edge::Top) - boxHeight);
}

void FilterPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    LayoutFilterPanel();
}

FilterState FilterPanel::state() const
{
    FilterState s;
    s.startDate = startDate();
    s.endDate = endDate();
    s.region = chosenRegion();
    s.nodes = m_nodes;
    for (std::size_t i = 0; i < s.nodes.size() && i < m_items.size(); ++i)
        s.nodes[i].checked = m_items[i]->checkState(0) == Qt::Checked;
    s.categories = m_categories;
    s.categoryTicks = m_categoryBox->ticks();
    return s;
}

bool FilterPanel::calendarWorkingDays() const
{
    return !m_option1 || m_option1->isChecked();
}

QDate FilterPanel::startDate() const
{
    return m_start->date();
}

QDate FilterPanel::endDate() const
{
    return m_end->date();
}

QString FilterPanel::regionName() const
{
    const std::optional<RegionEntry> region = chosenRegion();
    return region ? region->name : QString();
}

std::optional<RegionEntry> FilterPanel::chosenRegion() const
{
    // The entry's code and name as loaded: a code or name with blanks of its own cannot be told
    // apart from the entry text's separating blank.
    const int index = m_regions->currentIndex();
    if (index < 0 || index >= int(m_regionEntries.size()))
        return std::nullopt;
    return m_regionEntries[std::size_t(index)];
}

void FilterPanel::focusOn(FocusTarget target)
{
    switch (target) {
    case FocusTarget::StartDate: m_start->setFocus(Qt::OtherFocusReason); break;
    case FocusTarget::EndDate: m_end->setFocus(Qt::OtherFocusReason); break;
    case FocusTarget::Region: m_regions->setFocus(Qt::OtherFocusReason); break;
    case FocusTarget::None: break;
    }
}

} // namespace trellum
