#include "CategoryBox.h"

#include "Twips.h"
#include "UiLook.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>

namespace trellum {

CategoryBox::CategoryBox(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("Picture7"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, UiLook::panelBlue());
    setPalette(pal);

    m_caption = new QLabel(QStringLiteral("勾选报修类别"), this);
    m_caption->setObjectName(QStringLiteral("Label5"));
    m_caption->setFont(UiLook::yahei(9));
    Twips::place(m_caption, 105, 90, 2400, 270);

    m_check2 = new QCheckBox(QStringLiteral("全选"), this);
    m_check2->setObjectName(QStringLiteral("Check2"));
    m_check2->setFont(UiLook::yahei(9));
    Twips::place(m_check2, 2955, 75, 900, 300);
    connect(m_check2, &QCheckBox::clicked, this, [this] { SelectAllCategories(); });

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setFont(UiLook::yahei(9));
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    Twips::place(m_list, 105, 420, 3750, kHeightTwips - 420 - 180);
}

void CategoryBox::clear()
{
    m_list->clear();
}

void CategoryBox::addEntry(const CategoryEntry& entry)
{
    auto* item = new QListWidgetItem(entry.text(), m_list);
    item->setToolTip(entry.text());
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
}

void CategoryBox::markFirst()
{
    if (m_list->count() > 0)
        m_list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

std::vector<bool> CategoryBox::ticks() const
{
    std::vector<bool> out;
    out.reserve(std::size_t(m_list->count()));
    for (int i = 0; i < m_list->count(); ++i)
        out.push_back(m_list->item(i)->checkState() == Qt::Checked);
    return out;
}

void CategoryBox::SelectAllCategories()
{
    if (m_list->count() == 0) {
        m_check2->setChecked(false);
        return;
    }
    const Qt::CheckState state = m_check2->isChecked() ? Qt::Checked : Qt::Unchecked;
    for (int i = 0; i < m_list->count(); ++i)
        m_list->item(i)->setCheckState(state);
}

} // namespace trellum
