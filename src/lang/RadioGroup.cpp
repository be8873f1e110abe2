#include "lang/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vellora {

RadioGroup::RadioGroup(QWidget *parent) : QGroupBox(parent)
{
    setProperty("kind", QStringLiteral("radiogroup"));
    m_group = new QButtonGroup(this);
    m_layout = new QVBoxLayout(this);
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit itemIndexChanged(id);
    });
}

RadioGroup::RadioGroup(const QString &title, const QStringList &items, QWidget *parent) : RadioGroup(parent)
{
    setTitle(title);
    setItems(items);
}

void RadioGroup::setItems(const QStringList &items)
{
    const int keep = itemIndex();
    qDeleteAll(m_buttons);
    m_buttons.clear();
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), this);
        m_group->addButton(button, i);
        m_layout->addWidget(button);
        m_buttons.append(button);
    }
    if (keep >= 0 && keep < m_buttons.size())
        m_buttons.at(keep)->setChecked(true);
}

QStringList RadioGroup::items() const
{
    QStringList list;
    for (const QRadioButton *b : m_buttons)
        list.append(b->text());
    return list;
}

int RadioGroup::itemIndex() const { return m_group ? m_group->checkedId() : -1; }

void RadioGroup::setItemIndex(int index)
{
    if (index >= 0 && index < m_buttons.size()) {
        m_buttons.at(index)->setChecked(true);
    } else if (QAbstractButton *checked = m_group->checkedButton()) {
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
        emit itemIndexChanged(-1);
    }
}

QList<QRadioButton *> RadioGroup::entriesOf(QGroupBox *group)
{
    if (auto *rg = qobject_cast<RadioGroup *>(group))
        return rg->m_buttons;
    QList<QRadioButton *> list;
    for (QObject *child : group->children())
        if (auto *b = qobject_cast<QRadioButton *>(child))
            list.append(b);
    return list;
}

}  // namespace vellora
