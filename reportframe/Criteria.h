#pragma once

#include "ReportInfo.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace trellum {

// A repair category as loaded from PG报修类别设置 (NULL columns as "").
struct CategoryEntry {
    QString code;
    QString name;
    // The entry text of the category list: code, one blank, name.
    QString text() const { return code + QLatin1Char(' ') + name; }
};
// The categories current when the window opened, in 类别编号 order.
using CategoryTable = std::vector<CategoryEntry>;

// A region as loaded from 区域设置.
struct RegionEntry {
    QString code;
    QString name;
    // The entry text of the region list: code, one blank, name.
    QString text() const { return code + QLatin1Char(' ') + name; }
};

// A node of the office or worker tree. The root is the region; its children are the offices
// or workers, whose code is what a tick contributes.
struct TreeNode {
    QString key;     // "Q" + region code for the root, "G" + code for a child
    QString text;
    QString code;    // the office or worker code (children only)
    bool member = false; // an office or worker node (not the root)
    bool checked = false;
};

// The inputs of one report run.
struct ReportCriteria {
    QDate startDate;
    QDate endDate;
    QString regionCode;
    QString regionName;
    QString officeCodes;    // SQL list text, reports A and D
    QString workerCodes;    // SQL list text, reports B and C
    QString categoryCodes;  // SQL list text
    QString categoryNames;  // ticked names joined by "，" (A, B and C)
    QStringList tickedCategoryCodes; // the ticked categories' codes, in list order
};

// What the filter panel holds when the run button is pressed.
struct FilterState {
    QDate startDate;
    QDate endDate;
    std::optional<RegionEntry> region; // the chosen Combo1 entry, if any
    std::vector<TreeNode> nodes;       // in index order, root first
    CategoryTable categories;          // the category list's entries, in list order
    std::vector<bool> categoryTicks;   // one per category entry
};

// Which control gets the focus after a refused check.
enum class FocusTarget { None, StartDate, EndDate, Region };

struct CaptureFailure {
    QString message;
    FocusTarget focus = FocusTarget::None;
};

// The run button's checks in the report's order (info.checkOrder), each stopping at the first failure with its
// message; what was captured before a failing check stays in `criteria` as it was.
std::optional<CaptureFailure> captureCriteria(const ReportInfo& info, const FilterState& state, ReportCriteria& criteria);

} // namespace trellum
