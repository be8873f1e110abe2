// The main window's creation, first showing and closing steps.
#include "app/mainwindow/TForm1.h"

#include "app/shell/ErrorReport.h"
#include "app/shell/StartupWait.h"
#include "app/shell/WindowSizing.h"
#include "app/startup/StartupError.h"
#include "engine/EngineError.h"
#include "engine/Table.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "store/CardStore.h"
#include "store/CardTable.h"
#include "store/DataSource.h"
#include "engine/util/FileLookup.h"
#include "store/ScaledPicture.h"
#include "store/PhotoItem.h"
#include "store/Photos.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>

using namespace vellora;

void TForm1::placeWindow()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const MainWindowPlacement p = PlaceMainWindow(screen->size(), screen->availableGeometry());
    if (!p.resizable) {
        // Runs again after Import Project and Create Blank Project, while the
        // window is shown: new flags hide a window, so it is shown again.
        const Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                      Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
        if (windowFlags() != flags) {
            const bool shown = isVisible();
            setWindowFlags(flags);
            if (shown)
                show();
        }
        setMinimumSize(0, 0);
        setFixedSize(p.geometry.size());
    } else {
        setMinimumSize(kMainWindowMinimumSize);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(p.geometry.size());
    }
    move(p.geometry.topLeft());
}

void TForm1::openCardTable()
{
    m_table->close();
    try {
        OpenCardTable(*m_table, m_appFolder);
    } catch (const EngineError &e) {
        throw StartupError(e.message());
    }
}

void TForm1::FormCreate(const QString &appFolder)
{
    placeWindow();                                               // 1
    StartupWait();                                               // 2
    m_appFolder = appFolder.endsWith('/') ? appFolder : appFolder + '/';  // 3
    delete m_store;
    m_store = new CardStore(m_table, m_appFolder, this);
    connect(m_store, &CardStore::cardPhotosRefreshed, this, [this] { ShowPlaceholders(true); });
    // Typing into an empty collection starts its first card.
    m_dataSource->setRowMaker([store = QPointer<CardStore>(m_store)] {
        if (store)
            store->newCard();
    });
    m_settings.ResetSettings();                                  // 4
    openCardTable();                                             // 5
    FreeFieldItems();                                            // 6
    CreateFieldItems();
    const QString config = ResolveCaseInsensitive(m_appFolder, QStringLiteral("config.cfg"));  // 7
    const SettingsLoad load = m_settings.LoadSettings(config);
    if (load == SettingsLoad::TooShort || load == SettingsLoad::Damaged) {
        // A damaged file is kept for the operator and replaced by defaults.
        const QString damaged = config + QStringLiteral(".damaged");
        QFile::remove(damaged);
        QFile::rename(config, damaged);
        m_settings.ResetSettings();
        PlainMessage(QStringLiteral("Vellora-Id"),
                     QStringLiteral("The settings file %1 is damaged. It was kept as %2 and the settings start from "
                                    "their defaults.")
                         .arg(QDir::toNativeSeparators(config), QDir::toNativeSeparators(damaged)),
                     PlainIcon::Warning);
    }
    m_store->setCardFace(CardFacePhotos{m_front.Image1, m_front.secphot, m_back.Image1, m_back.secphot, m_template,
                                        m_settings.front.DoubleSided == 1});
    m_image5->setVisible(m_settings.front.MonoPrinter == 0);     // 8
    m_image6->setVisible(m_settings.front.MonoPrinter == 1);
    showBackground(0);                                           // 9
    showBackground(1);
    m_back.BackImage1->setGeometry(m_back.panel->contentsRect()); // 10
    ApplySettingsToCardFace();                                   // 11
}

void TForm1::FormShow()
{
    RelayoutFieldItems();
    ShowPlaceholders(true);
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm1::CommitCard()
{
    if (m_table->isOpen()) {
        m_dataSource->storePendingEdits();
        m_store->commitCard();
    }
}

bool TForm1::FormClose(bool internalSave)
{
    CommitCard();                                                // 1
    if (!internalSave) {                                         // 2
        const int answer = LocalMessageDlg(Literal(23), MsgKind::Warning,
                                           MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
        if (answer == MrCancel)
            return false;
        if (answer == MrYes)
            SaveBackupCopy();
    }
    for (int s = 0; s < 2; ++s) {                                // 3, 4
        if (s == 1 && m_settings.front.DoubleSided != 1)
            break;
        if (m_settings.side(s).effectiveLayoutType() != 6)
            StoreCardFaceInSettings(s);
        else
            TakeOverCustomLayoutEdits(s);
    }
    QString error;                                               // 5
    if (!m_settings.SaveSettings(m_appFolder + QStringLiteral("config.cfg"), &error))
        PlainMessage(QStringLiteral("Vellora-Id"),
                     QStringLiteral("The settings could not be saved in %1: %2")
                         .arg(QDir::toNativeSeparators(m_appFolder + QStringLiteral("config.cfg")), error),
                     PlainIcon::Error);
    if (!internalSave)                                           // 6
        m_table->close();
    return true;
}

void TForm1::closeEvent(QCloseEvent *event)
{
    bool closed = false;
    try {
        closed = FormClose();
    } catch (...) {
        // An engine error while committing: report it and keep the window
        // open, so nothing the operator typed is lost silently.
        event->ignore();
        ShowGenericError(CurrentExceptionMessage());
        return;
    }
    if (!closed) {
        event->ignore();
        return;
    }
    event->accept();
    // Closing the main window ends the program: a window left open beside
    // it (the About box, the Find dialog) would keep it running with the
    // card table closed.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible() && !w->testAttribute(Qt::WA_DontShowOnScreen))
            w->close();
}
