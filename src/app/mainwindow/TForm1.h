#pragma once
// The main window: the card face on which the operator browses and edits
// the collection, the title bar with the navigator, the button column and
// the main menu.
#include "app/startup/AboutForm.h"
#include "lang/LanguageSelection.h"
#include "store/Settings.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class QToolButton;
class TDataModule1;

namespace vellora {
class CardStore;
class DataSource;
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
    // The field item bound to the field (exact name), or nullptr.
    vellora::DBMemo *fieldItem(const QString &fieldName) const;
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
    void ShowPlaceholders(bool show);
    void RelayoutFieldItems();
    int fieldItemCount() const { return m_fieldItemCount; }
    static constexpr int kMaxFieldItems = 200;

    // ---- backup ----
    void SaveBackupCopy();

    // ---- settings and the card face ----
    void ApplySettingsToCardFace();
    void StoreCardFaceInSettings(int side);

    // ---- commands of other windows ----
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
    TDataModule1 *dataModule() const { return m_dataModule; }
    void setAboutForm(TAboutForm *about) { m_about = about; }
    void setLanguageDialog(TForm2 *dialog) { m_languageDialog = dialog; }
    QScrollArea *cardArea() const { return m_panel1; }
    QImage placeholderPicture() const { return m_template; }

    // The operator's address for help.
    static constexpr const char *kOnlineSupportUrl = "https://support.vellora-id.example/";

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildTitleBar();
    void buildCardArea();
    void buildCardSide(CardSideItems &side, const QString &suffix);
    void buildMagneticStripePanel(QWidget *parent);
    void buildButtonColumn();
    void connectMenu();
    void placeWindow();
    void showBackground(int side);
    void openCardTable();
    void layoutCardArea();
    void createFieldItemsOn(CardSideItems &side, int sideIndex);
    vellora::DBMemo *makeFieldItem(CardSideItems &side, int sideIndex, int position, const QString &field);
    QString placeholderText(const QString &itemName, const QString &field) const;
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
    QFrame *m_magpanel = nullptr;
    // button column
    QFrame *m_panel5 = nullptr;
    QList<vellora::GlyphButton *> m_buttons;
    QImage m_template;
    bool m_closing = false;
};
