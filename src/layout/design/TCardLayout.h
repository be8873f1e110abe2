#pragma once
// The card design dialog: for each card side a quick layout or the custom
// layout and the background of a quick-layout side, colour or monochrome
// and double-sided printing, and how the magnetic stripe's three tracks are
// filled. It edits the settings in memory and brings the main window's card
// face up to date through its host; the settings reach config.cfg when the
// main window closes.
#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <optional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace vellora {
class CardDesignHost;
}

class TCardLayout : public QDialog {
    Q_OBJECT
public:
    // The pages of PageControl1.
    enum Page { FrontPage = 0, BackPage = 1, StripePage = 2 };
    // The dialog's own layout type: the custom layout just confirmed in the
    // layout designer (stored as 6).
    static constexpr int kConfirmedCustom = 7;

    // The host outlives the dialog.
    explicit TCardLayout(vellora::CardDesignHost &host, QWidget *parent = nullptr);
    ~TCardLayout() override;

    // Runs the layout designer for a side, modally, its colour-printer mark
    // preset; nullopt when the operator cancelled, else the designer's mark
    // after its OK (the designer has saved the side's layout file).
    using DesignerRunner = std::function<std::optional<bool>(QWidget *parent, int side, bool colourPrinter)>;
    // "Custom Layout" is enabled only while a designer is given.
    void setDesignerRunner(DesignerRunner runner);

    // Shows the dialog modally; the showing steps reset it from the settings.
    int ShowDialog();

    // ---- commands (the controls' events) ----
    void PageControl1Change();
    // type 1..5: BitBtn1, BitBtn2, BitBtn8, BitBtn6, BitBtn7.
    void QuickLayoutClick(int type);
    void CustomLayoutClick();
    void SelectPatternClick();
    void SelectColorClick();
    void ClearBackgroundClick();
    void ColorPrinterClick();
    void DoubleSidedClick();
    void UseMagStripeClick();
    void UseTrackClick(int track);
    void StripeTypeChange(int track);
    // Writes the pending choices and the controls into the settings and
    // brings the main window up to date.
    void ApplySettings();
    void OKBtnClick();
    void CancelBtnClick();

    // ---- state, for the window's tests ----
    // The side the page shown works on (the front on the stripe page).
    int shownSide() const;
    int pendingLayoutType(int side) const { return m_pendingType[std::size_t(side)]; }
    QString pendingBackground(int side) const { return m_pendingBackground[std::size_t(side)]; }
    bool previewLandscape() const { return m_previewLandscape; }
    // The control the blue frame marks, or nullptr.
    QAbstractButton *markedButton() const;
    QTabWidget *pages() const { return m_pages; }
    QToolButton *quickButton(int type) const { return m_quick[std::size_t(type - 1)]; }
    // The picture a quick-layout button shows (from the program folder's
    // layoutimages/), null when the file is missing.
    static QString QuickLayoutPictureFile(const QString &appFolder, int type);

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct TrackControls {
        QGroupBox *group = nullptr;
        QCheckBox *use = nullptr;
        QLabel *typeLabel = nullptr;
        QComboBox *type = nullptr;
        QLabel *valueLabel = nullptr;
        QLineEdit *value = nullptr;
        QComboBox *field = nullptr;
        QCheckBox *show = nullptr;
    };

    void buildLayoutPages();
    void buildStripePage();
    void buildButtons();
    void loadQuickPictures();
    void syncAccessibility();
    void FormShow();
    void markButton(QAbstractButton *button);
    void markPendingType(int side);
    void setPreviewLandscape(bool landscape);
    // The side's pending background into the preview; false (preview
    // unchanged) when the picture cannot be read.
    bool previewBackground(const QString &path, QString *error);
    void choosePicture(const QString &folder, const QString &title);
    void applyTrackRules();
    void applyTypeRule(int track);
    void applySide(int side, bool becameDoubleSided);

    vellora::CardDesignHost &m_host;
    DesignerRunner m_designer;

    std::array<int, 2> m_pendingType{};
    std::array<QString, 2> m_pendingBackground;
    bool m_previewLandscape = true;

    QTabWidget *m_pages = nullptr;
    std::array<QWidget *, 3> m_sheets{};
    QWidget *m_layoutPanel = nullptr;  // the groups both layout pages show
    std::array<QToolButton *, 5> m_quick{};  // by layout type 1..5
    QWidget *m_selection = nullptr;          // the blue frame
    QAbstractButton *m_marked = nullptr;
    QPushButton *m_custom = nullptr;
    QGroupBox *m_backgroundGroup = nullptr;
    QWidget *m_sampleCard = nullptr;
    QLabel *m_samplePicture = nullptr;
    QPushButton *m_selectColor = nullptr;
    QPushButton *m_selectPattern = nullptr;
    QPushButton *m_clearBackground = nullptr;
    QCheckBox *m_useStripe = nullptr;
    std::array<TrackControls, 3> m_tracks{};
    QCheckBox *m_colorPrinter = nullptr;
    QCheckBox *m_doubleSided = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_apply = nullptr;
    QPushButton *m_cancel = nullptr;
};
