#include "app/mainwindow/TextMenu.h"

#include "app/mainwindow/CardFaceStyle.h"
#include "app/mainwindow/TForm1.h"
#include "app/shell/ErrorReport.h"
#include "lang/CommonDialogs.h"
#include "lang/EditTextDialog.h"
#include "store/DataSource.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

using namespace vellora;

namespace {

QAction *addNamed(QMenu *menu, const char *name, const char *caption)
{
    auto *action = new QAction(QLatin1String(caption), menu);
    action->setObjectName(QLatin1String(name));
    menu->addAction(action);
    return action;
}

}  // namespace

TextMenu::TextMenu(Parts parts) : m_parts(std::move(parts))
{
    m_menu = new QMenu(m_parts.window);
    m_menu->setObjectName(QStringLiteral("PopupMenu2"));
    QAction *font = addNamed(m_menu, "FontStyle1", "FontStyle");
    m_menu->addSeparator()->setObjectName(QStringLiteral("N2"));
    QAction *left = addNamed(m_menu, "LeftAlign1", "Left Align");
    QAction *centre = addNamed(m_menu, "Center1", "Center");
    QAction *right = addNamed(m_menu, "RightAlign1", "Right Align");
    m_menu->addSeparator()->setObjectName(QStringLiteral("N3"));
    m_editText = addNamed(m_menu, "EditText1", "Edit Text");

    QObject::connect(font, &QAction::triggered, m_menu, [this] {
        if (QWidget *item = m_parts.target->data())
            ReportErrors([&] { chooseFont(item, true); });
    });
    const struct {
        QAction *action;
        Qt::Alignment alignment;
    } alignments[] = {{left, Qt::AlignLeft}, {centre, Qt::AlignHCenter}, {right, Qt::AlignRight}};
    for (const auto &a : alignments)
        QObject::connect(a.action, &QAction::triggered, m_menu, [this, alignment = a.alignment] {
            if (QWidget *item = m_parts.target->data())
                align(item, alignment);
        });
    QObject::connect(m_editText, &QAction::triggered, m_menu, [this] {
        if (auto *label = qobject_cast<QLabel *>(m_parts.target->data()))
            ReportErrors([&] { editText(label); });
    });
}

void TextMenu::prepare(QWidget *item)
{
    *m_parts.target = item;
    m_editText->setVisible(item->objectName().toUpper().startsWith(QLatin1String("STAT")));
}

void TextMenu::chooseFont(QWidget *item, bool relayout)
{
    // The dialog works in points; the card face measures at a fixed 96 dpi.
    QFont initial = item->font();
    initial.setPointSize(std::max(1, CardFontPoints(item->font())));
    QColor colour = ItemColour(item);
    const std::optional<QFont> chosen = FontDialog(m_parts.window, initial, &colour);
    if (!chosen)
        return;
    QFont font = *chosen;
    const int points = font.pointSize() > 0 ? font.pointSize() : CardFontPoints(font);
    font.setPixelSize(PointsToCardPixels(std::max(1, points)));
    item->setFont(font);
    QPalette pal = item->palette();
    if (colour.isValid()) {
        pal.setColor(QPalette::WindowText, colour);
        pal.setColor(QPalette::Text, colour);
    }
    item->setPalette(pal);
    if (relayout && qobject_cast<DBMemo *>(item))
        m_parts.relayoutFieldItems();
}

void TextMenu::align(QWidget *item, Qt::Alignment horizontal)
{
    SetItemAlignment(item, horizontal);
    if (qobject_cast<DBMemo *>(item))
        m_parts.relayoutFieldItems();
}

void TextMenu::editText(QLabel *item)
{
    m_parts.editText->setItem(item->text(), item->font(), ItemAlignment(item));
    if (m_parts.editText->exec() == QDialog::Accepted)
        item->setText(m_parts.editText->text());
}

// ---- the main window's side of the text menu -----------------------------

QMenu *TForm1::textMenu() const { return m_textMenu->menu(); }

void TForm1::prepareTextMenu(QWidget *item) { m_textMenu->prepare(item); }

void TForm1::ChooseItemFont(QWidget *item, bool relayout) { m_textMenu->chooseFont(item, relayout); }

void TForm1::AlignItem(QWidget *item, Qt::Alignment horizontal) { m_textMenu->align(item, horizontal); }

void TForm1::EditItemText(QLabel *item) { m_textMenu->editText(item); }
