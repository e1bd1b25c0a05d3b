#pragma once

#include "Criteria.h"

#include <QFrame>

#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;

namespace trellum {

// Picture7, the category box at the foot of the filter panel: the caption "勾选报修类别", the
// select-all box Check2 "全选" and List1, one entry with a check box per repair category.
class CategoryBox final : public QFrame {
    Q_OBJECT
public:
    // The box's design height in twips.
    static constexpr int kHeightTwips = 3660;

    explicit CategoryBox(QWidget* parent = nullptr);

    // Empties List1.
    void clear();
    // Adds one entry, unticked: code, one blank, name.
    void addEntry(const CategoryEntry& entry);
    // Makes the first entry current (the focus mark only; nothing is ticked).
    void markFirst();
    // The entries' ticks, in list order.
    std::vector<bool> ticks() const;

    // SelectAllCategories: every entry gets Check2's tick; with no entries Check2 is cleared again.
    void SelectAllCategories();

    QListWidget* list() const { return m_list; }
    QCheckBox* selectAll() const { return m_check2; }

private:
    QLabel* m_caption = nullptr;
    QCheckBox* m_check2 = nullptr;
    QListWidget* m_list = nullptr;
};

} // namespace trellum
