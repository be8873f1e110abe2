#pragma once
// The layout designer "Custom Card Layout": the operator drags the items of
// one card side (field items, photos, free texts, static picture) from the
// palette onto the card, moves, resizes and styles them, and chooses the
// background and the orientation. OK writes the side's layout file.
//
// Opening it from another window:
//
//     TCustomlayout designer(CardSide::Back, this);   // builds the palette
//     designer.setColorPrinter(colourBox->isChecked());
//     if (designer.exec() == QDialog::Accepted) {
//         // layout_b.ccl now holds the layout; apply it to the card face.
//     }
//
// exec() (or show()) first loads the side's file; OK writes it through
// SaveLayout and closes with Accepted, Cancel closes with Rejected and
// writes nothing. The program folder, the table's fields, the side's stored
// layout type and the card face come from the DesignerEnvironment installed
// by the main window (or the one given). Created with a parent whose window
// has a group box "GroupBoxBack" (the card design dialog's background
// group), the designer's background group takes over its translated texts.
#include "layout/designer/DesignerEnvironment.h"
#include "layout/designer/SelectionHitTest.h"
#include "layout/file/CardSide.h"
#include "layout/file/LayoutFile.h"
#include "layout/file/LayoutRecord.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <QPointer>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QUndoStack;

namespace vellora {
class DesignerPicture;
class DesignerText;
class RadioGroup;
class SelectionHandles;
class DragOutline;
}

class TCustomlayout : public QDialog {
    Q_OBJECT
public:
    explicit TCustomlayout(vellora::CardSide side, QWidget *parent = nullptr);
    TCustomlayout(const vellora::DesignerEnvironment &environment, vellora::CardSide side,
                  QWidget *parent = nullptr);
    ~TCustomlayout() override;

    vellora::CardSide side() const { return m_side; }

    // The check mark of "Use Color Printer": set before showing, read back
    // after OK. Without it "Select Background Color" is disabled.
    bool colorPrinter() const;
    void setColorPrinter(bool on);

    // ---- loading, comparing, saving (also used without showing) ----
    // Loads the side's layout file into the items; false when there is
    // none. A malformed file is shown as far as it was read, and its error
    // reported; *complete tells whether every line was read.
    bool LoadSideLayout(bool *complete = nullptr);
    // Loads a layout file into the designer.
    vellora::LayoutLoad LoadLayout(const QString &path);
    // True when the card face's free texts or visible field items differ
    // from the designer's in text, alignment or font (face, size, style,
    // colour).
    bool LayoutDiffersFromCardFace(const vellora::CardFaceSnapshot &face) const;
    bool LayoutDiffersFromCardFace() const;  // the environment's card face
    // Copies the card face's texts, fonts and alignment into the designer's
    // free texts and field items; bounds and places stay.
    void TakeOverCardFace(const vellora::CardFaceSnapshot &face);
    void TakeOverCardFace();
    // The designer as a layout file, in the file's item order.
    vellora::LayoutRecord layoutRecord() const;
    // Writes layoutRecord() to the side's file.
    bool SaveLayout(QString *error = nullptr);

    // ---- parts for other windows and tests ----
    QScrollArea *palette() const { return m_scrollBox; }
    QWidget *paletteContents() const { return m_paletteContents; }
    QFrame *card() const { return m_card; }
    QFrame *cardFrame() const { return m_frame; }
    QLabel *backgroundPicture() const { return m_background; }
    QGroupBox *backgroundGroup() const { return m_backGroup; }
    QGroupBox *helpGroup() const { return m_helpGroup; }
    vellora::RadioGroup *orientationGroup() const { return m_orientation; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    QMenu *itemMenu() const { return m_itemMenu; }
    QMenu *backgroundMenu() const { return m_backMenu; }
    QAction *menuAction(const QString &name) const;
    QUndoStack *undoStack() const { return m_undo; }
    // An item by its layout name (Image1, StaticText2, a field name), its
    // ghost copy, and all item names in the file's order.
    QWidget *item(const QString &name) const;
    QWidget *ghost(const QString &name) const;
    QStringList itemNames() const;
    bool isOnCard(const QString &name) const;
    QWidget *selectedItem() const { return m_selected; }
    QWidget *selectionHandles() const;
    QWidget *dragOutline() const;
    QString backgroundPath() const { return m_backgroundPath; }
    QString staticPicturePath() const { return m_staticPath; }
    bool isLandscape() const;

    // ---- commands of the menus and buttons ----
    void selectItem(QWidget *item);
    void chooseItemFont(QWidget *item);
    void alignItem(QWidget *item, vellora::LayoutAlignment alignment);
    void editItemText(QWidget *item);
    void loadStaticPicture();
    void clearStaticPicture();
    void selectBackground(bool colours);
    void clearBackground();
    void setOrientation(bool landscape);

    bool eventFilter(QObject *watched, QEvent *event) override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class vellora::SelectionHandles;
    struct Slot {
        QString name;
        vellora::DesignerText *text = nullptr;
        vellora::DesignerPicture *picture = nullptr;
        QWidget *ghost = nullptr;
        QWidget *widget() const;
    };
    enum class DragMode { None, Palette, Card };
    struct Drag {
        DragMode mode = DragMode::None;
        Slot *slot = nullptr;
        vellora::SelectionHit hit = vellora::SelectionHit::None;
        QPoint startGlobal;
        QRect startBounds;
        QPoint grabOffset;
        bool moved = false;
    };

    void build();
    void buildPalette();
    void buildCardArea();
    void buildGroups();
    void buildMenus();
    void copyBackgroundGroupTexts();
    void retranslateStockTexts();

    Slot *slotOf(const QWidget *w);
    const Slot *slotOf(const QWidget *w) const;
    Slot *slotNamed(const QString &name);
    const Slot *slotNamed(const QString &name) const;
    bool onCard(const Slot &slot) const;
    QRect ghostBounds(const Slot &slot) const;

    void opening();
    void applyLayoutRecord(const vellora::LayoutRecord &record, bool fromFile, bool quiet);
    void applyItemLine(Slot &slot, const vellora::LayoutItem &line);
    void placeOnCard(Slot &slot, const QRect &bounds);
    void returnToPalette(Slot &slot);
    void showBackground(bool quiet = false);
    void showStaticPicture(bool quiet = false);
    void applyPanelSize(bool landscape);
    void moveBackgroundGroup(bool landscape);
    void orientationChosen(int index);
    void updateColourEntries();
    void prepareItemMenu(Slot &slot);
    void updateSelection();
    void clearSelection();

    // Mouse handling of the palette items, the card items and the
    // selection frame; positions are global.
    void beginPaletteDrag(Slot &slot, QPoint global);
    void beginCardDrag(Slot &slot, vellora::SelectionHit hit, QPoint global);
    void dragTo(QPoint global);
    void dropAt(QPoint global);
    bool overCard(QPoint global) const;
    bool overPalette(QPoint global) const;
    void nudgeSelection(int dx, int dy);

    // Undo: every edit is recorded as the designer's state before and
    // after it.
    struct State {
        vellora::LayoutRecord record;
        QString staticPath;
    };
    State state() const;
    void applyState(const State &state);
    void recordEdit(const QString &text, const State &before);
    friend class DesignerEditCommand;

    vellora::DesignerEnvironment m_env;
    vellora::CardSide m_side;
    int m_ppi = 96;
    QStringList m_fieldNames;
    QList<Slot> m_slots;

    QScrollArea *m_scrollBox = nullptr;
    QWidget *m_paletteContents = nullptr;
    QLabel *m_fieldsHeader = nullptr;
    QLabel *m_textsHeader = nullptr;
    QFrame *m_frame = nullptr;
    QFrame *m_card = nullptr;
    QLabel *m_background = nullptr;
    QGroupBox *m_helpGroup = nullptr;
    QLabel *m_helpText = nullptr;
    QGroupBox *m_backGroup = nullptr;
    QLabel *m_backText = nullptr;
    QPushButton *m_selectColour = nullptr;
    QPushButton *m_selectPattern = nullptr;
    QPushButton *m_clearBackground = nullptr;
    vellora::RadioGroup *m_orientation = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QLabel *m_printerHint = nullptr;
    QMenu *m_itemMenu = nullptr;
    QMenu *m_backMenu = nullptr;
    QHash<QString, QAction *> m_actions;
    vellora::SelectionHandles *m_handles = nullptr;
    vellora::DragOutline *m_outline = nullptr;
    QUndoStack *m_undo = nullptr;

    QString m_backgroundPath;
    QString m_staticPath;
    QPointer<QWidget> m_selected;
    QPointer<QWidget> m_menuTarget;
    Drag m_drag;
    bool m_landscape = true;
    bool m_settingOrientation = false;  // the radio group is being set back
    bool m_opened = false;
    bool m_applyingState = false;
};
