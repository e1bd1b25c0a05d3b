#pragma once

#include "Criteria.h"
#include "DbError.h"
#include "ReportInfo.h"

#include <QFrame>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace trellum {

class CategoryBox;
class DbConnection;
class Messenger;

// Picture1, the filter panel of a report window: the working-day option (B, C), the period, the
// region, the tree of the region's offices (A, D) or workers (B, C) with Check1 "全选", and the
// category box Picture7. It reads its lists through the filter statements and reports database
// errors as "错误码: N 错误描述: D"; what it holds is handed to the run button's checks as a
// FilterState. Indexed controls are named like "Label1(0)".
class FilterPanel final : public QFrame {
    Q_OBJECT
public:
    // The panel's design width in twips.
    static constexpr int kWidthTwips = 3960;

    // The panel of the report `info` describes, reading its lists on the connection `connection` gives.
    FilterPanel(const ReportInfo& info, std::function<DbConnection&()> connection, Messenger& messenger,
                QWidget* parent = nullptr);

    // Both pickers get the display format yyyy-MM-dd and the given day, the start first.
    void setPeriod(const QDate& day);
    // The period from `start` to `end` in the pickers (the quick buttons 本月, 上月 and 本年).
    void setPeriod(const QDate& start, const QDate& end);
    // LoadRegions: Combo1 holds every region, none chosen.
    void LoadRegions();
    // LoadCategories: List1 and the CategoryTable hold the categories in use, nothing ticked.
    void LoadCategories();
    // FillOfficeTree (A, D) and FillWorkerTree (B, C): the chosen region's active offices or
    // repair workers under the region's root node.
    void fillTree();
    // PropagateNodeCheck: a node with children gives them its tick; nothing goes further.
    void PropagateNodeCheck(QTreeWidgetItem* node);
    // SelectAllNodes: with a region chosen every node, root included, gets Check1's tick.
    void SelectAllNodes();
    // LayoutFilterPanel: the category box at the foot, the tree filling the space above it.
    void LayoutFilterPanel();

    // What the panel holds now, for the run button's checks.
    FilterState state() const;
    // The window's CategoryTable.
    const CategoryTable& categories() const { return m_categories; }
    // Option1 "计算工作日" selected (always, in windows without the option).
    bool calendarWorkingDays() const;
    QDate startDate() const;
    QDate endDate() const;
    // The chosen region's name: the Combo1 entry's text after its code and blank ("" for none).
    QString regionName() const;
    // The chosen Combo1 entry's region (code and name as loaded), if any.
    std::optional<RegionEntry> chosenRegion() const;
    // Puts the focus where a refused check points.
    void focusOn(FocusTarget target);

    CategoryBox* categoryBox() const { return m_categoryBox; }
    QTreeWidget* tree() const { return m_tree; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showError(const DbError& error);
    DbConnection& db() const;

    const ReportInfo& m_info;
    std::function<DbConnection&()> m_connection;
    Messenger& m_messenger;
    QRadioButton* m_option1 = nullptr;
    QRadioButton* m_option2 = nullptr;
    QDateEdit* m_start = nullptr;
    QDateEdit* m_end = nullptr;
    QComboBox* m_regions = nullptr;
    QCheckBox* m_check1 = nullptr;
    QTreeWidget* m_tree = nullptr;
    CategoryBox* m_categoryBox = nullptr;
    CategoryTable m_categories;
    std::vector<RegionEntry> m_regionEntries; // Combo1's entries, same order
    std::vector<TreeNode> m_nodes;          // in index order, root first
    std::vector<QTreeWidgetItem*> m_items;  // the tree's items, same order
    bool m_silent = false;                  // ticks set by the program do not propagate
};

} // namespace trellum
