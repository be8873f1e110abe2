#pragma once
// A titled group of radio buttons chosen by index, whose entries are
// interface text ("-ITEM" + n keys of the language file).
#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

namespace vellora {

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit RadioGroup(QWidget *parent = nullptr);
    RadioGroup(const QString &title, const QStringList &items, QWidget *parent = nullptr);

    void setItems(const QStringList &items);
    QStringList items() const;
    int count() const { return static_cast<int>(m_buttons.size()); }
    // -1 when no entry is chosen.
    int itemIndex() const;
    void setItemIndex(int index);
    QRadioButton *entry(int index) const { return m_buttons.value(index); }

    // The entry buttons of a radio group, in order (works on any group box
    // marked kind = "radiogroup": its radio buttons in child order).
    static QList<QRadioButton *> entriesOf(QGroupBox *group);

signals:
    void itemIndexChanged(int index);

private:
    QButtonGroup *m_group = nullptr;
    QVBoxLayout *m_layout = nullptr;
    QList<QRadioButton *> m_buttons;
};

}  // namespace vellora
