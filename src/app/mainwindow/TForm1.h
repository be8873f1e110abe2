#pragma once
// The main window: the card face on which the operator browses and edits
// the collection, the title bar with the navigator, the button column and
// the main menu.
#include "app/mainwindow/MagStripePanel.h"
#include "app/startup/AboutForm.h"
#include "lang/LanguageSelection.h"
#include "store/Settings.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QScrollArea;
class QToolButton;
class TDataModule1;
class TOKBottomDlg;
class PhotoMenu;
class TextMenu;

namespace vellora {
class CardStore;
class DataSource;
class DBEdit;
class DBMemo;
class PhotoItem;
class GlyphButton;
class Table;
}

// One card side's items: front (no suffix) or back ("_b").
struct CardSideItems {
    QFrame *panel = nullptr;  // Panel4 / Panel4_b
    vellora::PhotoItem *BackImage1 = nullptr;
    vellora::PhotoItem *Image1 = nullptr;
    vellora::PhotoItem *secphot = nullptr;
    vellora::PhotoItem *statimage1 = nullptr;
    std::array<QLabel *, 4> statlabel{};
    // One field item per card-table field (the first 200), and its
    // placeholder label, by position.
    QList<vellora::DBMemo *> fieldItems;
    QList<QLabel *> placeholders;
    // The field item bound to the field (letter case ignored, as field
    // names are everywhere), or nullptr.
    vellora::DBMemo *fieldItem(const QString &fieldName) const;
    // The panel's item of that name, letter case ignored; the last one in
    // child order when several match. nullptr when none does.
    QWidget *item(const QString &name) const;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window's controls. FormCreate() then runs the creation
    // steps (sizing, folder, settings, card table, card face).
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // ---- the creation, showing and closing steps ----
    // appFolder: the program folder with a trailing '/'.
    void FormCreate(const QString &appFolder);
    void FormShow();
    // The closing steps; false when the operator cancelled (the window stays).
    // internalSave: as called by Export Project (no backup question, the
    // window stays open).
    bool FormClose(bool internalSave = false);

    // ---- the card and its field items ----
    void CommitCard();
    void CreateFieldItems();
    void FreeFieldItems();
    // Quick-layout sides keep their field fonts in the settings: stores
    // them, frees and creates the field items for the table as it is now
    // and gives the new items those fonts again. Used whenever the card
    // table was exchanged; ApplyAllLayouts() follows.
    void RebuildFieldItems();
    void ShowPlaceholders(bool show);
    void RelayoutFieldItems();
    int fieldItemCount() const { return m_fieldItemCount; }
    static constexpr int kMaxFieldItems = 200;

    // ---- backup ----
    void SaveBackupCopy();

    // ---- settings and the card face ----
    void ApplySettingsToCardFace();
    void StoreCardFaceInSettings(int side);
    // Free texts and the seven standard field items compared with the
    // standard fonts of the quick layouts (face, size, colour, style).
    bool StandardFontsDiffer(int side) const;
    // Gives the side the standard fonts, left aligned; with ask, first asks
    // (Literals20-22) when they differ, and changes nothing unless Yes.
    void ResetStandardFonts(int side, bool ask);

    // ---- layouts ----
    // Layout type 1..5: that quick layout; 6: the side's layout file
    // (quick layout 3 when the file is missing); other values: quick
    // layout 3. fromDialog: the card design dialog applies a changed layout.
    void ApplyLayout(int side, int layoutType, bool fromDialog);
    // Both sides as the settings say, the stripe panel, then the current
    // card shown again.
    void ApplyAllLayouts();
    void ArrangeCardPanels();
    void ReorderTabs();
    // A quick layout's background: the picture at half size, hidden for an
    // empty path; a path naming no file is cleared from the settings.
    void ShowBackground(int side, const QString &path);
    // The magnetic stripe panel as the front settings say.
    void LayoutMagPanel() { m_magStripe->layout(m_settings.front); }

    // ---- commands ----
    void PreviewCard();
    void PrintCard();
    void OpenCardDesign();
    // page 0: "Capture Image", 1: "Load Image".
    void OpenCapture(vellora::PhotoItem *item, const QString &suffix, int page);
    void EditDatabase();
    // Import Data... / Export Data...: the wizard with the card table closed.
    void ImportData();
    void ExportData();
    // The text menu's commands on a free text or field item (a double
    // click opens the font dialog or the Edit Text dialog as well).
    void ChooseItemFont(QWidget *item, bool relayout);
    void AlignItem(QWidget *item, Qt::Alignment horizontal);
    void EditItemText(QLabel *item);

    // ---- windows of other parts of the program ----
    // Each gives the main window the way to show one window and enables the
    // buttons and menu items that use it; until then they stay disabled.
    // Errors the functions throw reach the generic error report.
    // Find: shown not modal.
    void setFindWindow(std::function<void()> show);
    // Capture: shown modally for the target photo item with the suffix ("",
    // "-2") and the page (0 "Capture Image", 1 "Load Image"); the window
    // copies the item's picture itself (ignoring failures) and stores the
    // photo through CardStore::storePhoto.
    using CaptureWindow = std::function<void(vellora::PhotoItem *target, const QString &suffix, int page)>;
    void setCaptureWindow(CaptureWindow show);
    // A picture file on the clipboard (copied in the file manager): the
    // photo menu's Paste hands it over with the target item and its suffix,
    // as a file dropped on the item is.
    using PictureFilePaste = std::function<void(vellora::PhotoItem *target, const QString &suffix, const QString &file)>;
    void setPictureFilePaste(PictureFilePaste open);
    // Card design dialog, shown modally.
    void setCardDesignWindow(std::function<void()> showModal);
    // Batch print window, shown modally.
    void setBatchPrintWindow(std::function<void()> showModal);
    // Database view, shown modally while the card table is closed.
    void setDatabaseView(std::function<void()> showModal);
    void setDataTransferWizards(std::function<void()> importModal, std::function<void()> exportModal);
    // Print preview in its normal (single card) mode: shown modally, and
    // shown without waiting, printed at 300 dpi and hidden.
    void setPreviewWindow(std::function<void()> showModal, std::function<void()> printCard);

    // Gives a main-menu item (by component name, e.g. "BatchPrint1") its
    // command and enables it; errors the command throws reach the generic
    // error report. Replaces an earlier command of the item.
    void setMenuCommand(const QString &itemName, std::function<void()> command);
    // The same for a button of the right-hand column (e.g. "BitBtn8").
    void setButtonCommand(const QString &buttonName, std::function<void()> command);

    // ---- help menu ----
    void OpenManual();
    void OpenOnlineSupport();
    void OpenQuickTour();
    void ShowAbout();

    // ---- parts other windows and tests use ----
    QString appFolder() const { return m_appFolder; }
    vellora::Settings &settings() { return m_settings; }
    const vellora::Settings &settings() const { return m_settings; }
    vellora::Table *table() const { return m_table; }
    vellora::CardStore *store() const { return m_store; }
    vellora::DataSource *dataSource() const { return m_dataSource; }
    CardSideItems &side(int s) { return s == 0 ? m_front : m_back; }
    const CardSideItems &side(int s) const { return s == 0 ? m_front : m_back; }
    TDataModule1 *dataModule() const { return m_dataModule; }
    void setAboutForm(TAboutForm *about) { m_about = about; }
    void setLanguageDialog(TForm2 *dialog) { m_languageDialog = dialog; }
    QScrollArea *cardArea() const { return m_panel1; }
    QImage placeholderPicture() const { return m_template; }
    QMenu *photoMenu() const;  // PopupMenu1
    QMenu *textMenu() const;   // PopupMenu2
    TOKBottomDlg *editTextDialog() const { return m_editText; }
    QFrame *magPanel() const { return m_magStripe->panel(); }
    const MagTrackControls &magTrack(int track) const { return m_magStripe->track(track); }
    QLabel *cardCaption() const { return m_cardCaption; }
    vellora::GlyphButton *button(const QString &name) const;
    // The item the pop-up menus work on (the last one right-clicked).
    QWidget *rememberedItem() const { return m_remembered; }
    // Prepares and shows a pop-up menu for an item as a right click does;
    // a test may call it and then trigger the menu's actions.
    void preparePhotoMenu(vellora::PhotoItem *item);
    void prepareTextMenu(QWidget *item);

    // The operator's address for help.
    static constexpr const char *kOnlineSupportUrl = "https://support.vellora-id.example/";

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildTitleBar();
    void buildCardArea();
    void buildCardSide(CardSideItems &side, const QString &suffix);
    void buildButtonColumn();
    void connectMenu();
    // A command of the card store on the open card table.
    std::function<void()> storeCommand(std::function<void(vellora::CardStore &)> command);
    void placeWindow();
    void showBackground(int side);
    void openCardTable();
    void fitCardCanvas();
    void createFieldItemsOn(CardSideItems &side, int sideIndex);
    vellora::DBMemo *makeFieldItem(CardSideItems &side, int sideIndex, int position, const QString &field);
    QString placeholderText(const QString &itemName, const QString &field) const;
    void applyFieldFontsFromSettings(int side);
    void applyQuickLayout(int side, int layoutType, bool fromDialog);
    // False when the file is missing or unreadable: nothing was applied.
    bool applyCustomLayout(int side);
    void applySecondPhotoButtonRule(int layoutType);
    void runWithPlaceholdersHidden(const std::function<void()> &command);
    void enableCommand(const char *name, bool enabled);
    // At exit, for a side with a custom layout: the take-over of card-face
    // edits into the side's layout file.
    void TakeOverCustomLayoutEdits(int side);
    bool eventFilter(QObject *watched, QEvent *event) override;

    QString m_appFolder;
    vellora::Settings m_settings;
    vellora::Table *m_table = nullptr;
    vellora::DataSource *m_dataSource = nullptr;
    vellora::CardStore *m_store = nullptr;
    int m_fieldItemCount = 0;
    TDataModule1 *m_dataModule = nullptr;
    QPointer<TAboutForm> m_about;
    QPointer<TForm2> m_languageDialog;

    // title bar
    QFrame *m_panel2 = nullptr;
    QLabel *m_image5 = nullptr;
    QLabel *m_image6 = nullptr;
    QWidget *m_navigator = nullptr;
    QLineEdit *m_dbedit8 = nullptr;
    QWidget *m_banner = nullptr;
    // card area
    QScrollArea *m_panel1 = nullptr;
    QWidget *m_cardCanvas = nullptr;
    CardSideItems m_front;
    CardSideItems m_back;
    QLabel *m_cardCaption = nullptr;
    std::unique_ptr<MagStripePanel> m_magStripe;
    // button column
    QFrame *m_panel5 = nullptr;
    QList<vellora::GlyphButton *> m_buttons;
    bool m_secondPhotoButtonShown = true;
    // pop-up menus and the Edit Text dialog
    QPointer<QWidget> m_remembered;
    std::unique_ptr<PhotoMenu> m_photoMenu;
    std::unique_ptr<TextMenu> m_textMenu;
    TOKBottomDlg *m_editText = nullptr;

    QImage m_template;
    bool m_closing = false;
    bool m_destroying = false;

    // windows of other parts
    std::function<void()> m_findWindow;
    CaptureWindow m_captureWindow;
    std::function<void()> m_cardDesignWindow;
    std::function<void()> m_batchPrintWindow;
    std::function<void()> m_databaseView;
    std::function<void()> m_importWizard, m_exportWizard;
    // Runs a window that works on the card table's files: the current card
    // committed and the table closed before, the table reopened and the
    // card face rebuilt after, however the window ends.
    void runWithCardTableClosed(const std::function<void()> &window);
    std::function<void()> m_previewModal;
    std::function<void()> m_previewPrint;
};
