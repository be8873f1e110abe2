#pragma once
// The card face's text menu (PopupMenu2): font, alignment and Edit Text on
// the free text or field item the pop-up menus work on. It is given its
// window, the Edit Text dialog and how the field items are laid out again,
// and owns its menu and actions.
#include <QPointer>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QWidget;
class TOKBottomDlg;

class TextMenu {
public:
    struct Parts {
        QWidget *window = nullptr;            // the menu's and the font dialog's parent
        QPointer<QWidget> *target = nullptr;  // the item the pop-up menus work on
        TOKBottomDlg *editText = nullptr;     // may follow by setEditTextDialog()
        std::function<void()> relayoutFieldItems;
    };

    explicit TextMenu(Parts parts);

    QMenu *menu() const { return m_menu; }
    void setEditTextDialog(TOKBottomDlg *dialog) { m_parts.editText = dialog; }
    // The item becomes the menu's target; Edit Text is offered for free
    // texts only.
    void prepare(QWidget *item);

    // The font dialog for the item (face, size, colour, style); with
    // relayout, a field item's side is laid out again.
    void chooseFont(QWidget *item, bool relayout);
    void align(QWidget *item, Qt::Alignment horizontal);
    // The Edit Text dialog for a free text; OK takes the text over.
    void editText(QLabel *item);

private:
    Parts m_parts;
    QMenu *m_menu = nullptr;
    QAction *m_editText = nullptr;
};
