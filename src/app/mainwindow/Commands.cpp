// The main window's menu and button commands.
#include "app/mainwindow/MainMenu.h"
#include "app/mainwindow/TForm1.h"

#include "app/shell/ErrorReport.h"
#include "app/startup/AboutForm.h"
#include "devices/shell/DesktopShell.h"
#include "engine/Table.h"
#include "lang/GlyphButton.h"
#include "lang/LanguageSelection.h"
#include "print/PrinterChoice.h"
#include "store/CardStore.h"
#include "store/CardTable.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"

#include <QAction>
#include <QApplication>
#include <QToolButton>
#include <QUrl>

using namespace vellora;

namespace {

// The hourglass while a command runs, restored however it ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

}  // namespace

void TForm1::OpenManual()
{
    OpenWithDesktop(QUrl::fromLocalFile(m_appFolder + QStringLiteral("manual/index.html")));
}

void TForm1::OpenOnlineSupport() { OpenWithDesktop(QUrl(QString::fromLatin1(kOnlineSupportUrl))); }

void TForm1::OpenQuickTour()
{
    OpenWithDesktop(QUrl(QStringLiteral("file://") + m_appFolder + QStringLiteral("tour/tour.html")));
}

void TForm1::ShowAbout()
{
    if (m_about) {
        m_about->show();
        m_about->raise();
    }
}

void TForm1::setMenuCommand(const QString &itemName, std::function<void()> command)
{
    QAction *action = m_dataModule->item(itemName);
    Q_ASSERT_X(action, "setMenuCommand", qPrintable(itemName));
    if (!action)
        return;
    disconnect(action, &QAction::triggered, this, nullptr);
    connect(action, &QAction::triggered, this, [command = std::move(command)] { ReportErrors(command); });
    action->setEnabled(true);
}

void TForm1::setButtonCommand(const QString &buttonName, std::function<void()> command)
{
    GlyphButton *b = button(buttonName);
    Q_ASSERT_X(b, "setButtonCommand", qPrintable(buttonName));
    if (!b)
        return;
    disconnect(b, &QAbstractButton::clicked, this, nullptr);
    connect(b, &QAbstractButton::clicked, this, [command = std::move(command)] { ReportErrors(command); });
    b->setEnabled(true);
}

void TForm1::enableCommand(const char *name, bool enabled)
{
    if (QAction *action = m_dataModule->item(QLatin1String(name)))
        action->setEnabled(enabled);
    else if (GlyphButton *b = button(QLatin1String(name)))
        b->setEnabled(enabled);
}

void TForm1::setFindWindow(std::function<void()> show)
{
    m_findWindow = std::move(show);
    enableCommand("BitBtn8", bool(m_findWindow));
}

void TForm1::setCaptureWindow(CaptureWindow show)
{
    m_captureWindow = std::move(show);
    const bool on = bool(m_captureWindow);
    for (const char *name : {"BitBtn3", "getimgbtn", "CaptureImage1"})
        enableCommand(name, on);
    m_captureImageItem->setEnabled(on);
    m_loadImageItem->setEnabled(on);
}

void TForm1::setCardDesignWindow(std::function<void()> showModal)
{
    m_cardDesignWindow = std::move(showModal);
    enableCommand("BitBtn7", bool(m_cardDesignWindow));
    enableCommand("Changecarddesign1", bool(m_cardDesignWindow));
}

void TForm1::setBatchPrintWindow(std::function<void()> showModal)
{
    m_batchPrintWindow = std::move(showModal);
    enableCommand("BatchPrint1", bool(m_batchPrintWindow));
}

void TForm1::setDatabaseView(std::function<void()> showModal)
{
    m_databaseView = std::move(showModal);
    enableCommand("EditDatabase1", bool(m_databaseView));
}

void TForm1::setPreviewWindow(std::function<void()> showModal, std::function<void()> printCard)
{
    m_previewModal = std::move(showModal);
    m_previewPrint = std::move(printCard);
    enableCommand("BitBtn6", bool(m_previewModal));
    enableCommand("PrintPreview1", bool(m_previewModal));
    enableCommand("PrintCard1", bool(m_previewPrint));
}

void TForm1::runWithPlaceholdersHidden(const std::function<void()> &command)
{
    ShowPlaceholders(false);
    try {
        command();
    } catch (...) {
        ShowPlaceholders(true);
        throw;
    }
    ShowPlaceholders(true);
}

void TForm1::PreviewCard()
{
    if (!m_previewModal)
        return;
    WaitCursor wait;
    CommitCard();
    runWithPlaceholdersHidden(m_previewModal);
}

void TForm1::PrintCard()
{
    if (!m_previewPrint)
        return;
    WaitCursor wait;
    CommitCard();
    runWithPlaceholdersHidden(m_previewPrint);
}

void TForm1::OpenCardDesign()
{
    if (!m_cardDesignWindow)
        return;
    for (int s = 0; s < 2; ++s)
        if (m_settings.side(s).effectiveLayoutType() < 6)
            StoreCardFaceInSettings(s);
    runWithPlaceholdersHidden(m_cardDesignWindow);
}

void TForm1::OpenCapture(PhotoItem *item, const QString &suffix, int page)
{
    if (!m_captureWindow || !item)
        return;
    CommitCard();
    m_captureWindow(item, suffix, page);
}

void TForm1::EditDatabase()
{
    if (!m_databaseView)
        return;
    // What the operator typed is kept: the view works on the table files.
    CommitCard();
    m_table->close();
    try {
        m_databaseView();
    } catch (...) {
        // The card face is rebuilt below all the same; the error is reported
        // after that.
        try {
            openCardTable();
        } catch (...) {
        }
        RebuildFieldItems();
        ApplyAllLayouts();
        throw;
    }
    try {
        openCardTable();
    } catch (...) {
        // The card face then has no field items.
    }
    RebuildFieldItems();
    ApplyAllLayouts();
}

void TForm1::connectMenu()
{
    auto on = [this](const char *name, auto &&slot) {
        QAction *action = m_dataModule->item(QLatin1String(name));
        Q_ASSERT(action);
        connect(action, &QAction::triggered, this, [slot = std::forward<decltype(slot)>(slot)] { ReportErrors(slot); });
    };
    auto pressed = [this](const char *name, auto &&slot) {
        GlyphButton *b = button(QLatin1String(name));
        Q_ASSERT(b);
        connect(b, &QAbstractButton::clicked, this, [slot = std::forward<decltype(slot)>(slot)] { ReportErrors(slot); });
    };
    auto store = [this](auto command) {
        return [this, command] {
            if (m_store && m_table->isOpen()) {
                // Text typed into a date or number box is checked before the
                // card is left; Undo drops it.
                if constexpr (std::is_same_v<decltype(command), void (CardStore::*)()>) {
                    if (command == &CardStore::undoCard)
                        m_dataSource->dropPendingEdits();
                    else
                        m_dataSource->storePendingEdits();
                } else {
                    m_dataSource->storePendingEdits();
                }
                (m_store->*command)();
            }
        };
    };
    auto captureFirst = [this] { OpenCapture(m_front.Image1, QString(), 0); };
    auto captureSecond = [this] { OpenCapture(m_front.secphot, QStringLiteral("-2"), 1); };
    auto batchPrint = [this] {
        if (!m_batchPrintWindow)
            return;
        CommitCard();
        runWithPlaceholdersHidden(m_batchPrintWindow);
    };

    on("Save1", [this] { CommitCard(); });
    on("SaveBackupCopy1", [this] { SaveBackupCopy(); });
    on("EditDatabase1", [this] { EditDatabase(); });
    on("BatchPrint1", batchPrint);
    on("PrinterSetup1", [this] { ShowPrinterSetupDialog(this); });
    on("PrintPreview1", [this] { PreviewCard(); });
    on("PrintCard1", [this] { PrintCard(); });
    on("Exit1", [this] { close(); });
    on("Undo1", store(&CardStore::undoCard));
    on("Insertnewcard1", store(&CardStore::newCard));
    on("Clearcarddata1", store(&CardStore::clearCard));
    on("Deletecard1", store(&CardStore::deleteCard));
    on("CaptureImage1", captureFirst);
    on("Changecarddesign1", [this] { OpenCardDesign(); });
    on("SelectLanguage1", [this] {
        if (m_languageDialog)
            m_languageDialog->exec();
    });
    on("Manual1", [this] { OpenManual(); });
    on("AboutVelloraID1", [this] { ShowAbout(); });
    on("OnlineSupport1", [this] { OpenOnlineSupport(); });
    on("QuickTour1", [this] { OpenQuickTour(); });

    // Items whose windows another part of the program gives later stay
    // visible and disabled until then.
    for (const char *later : {"LoadBackupCopy1", "EditDatabase1", "ImportProject1", "ExportProject1",
                              "CreateBlankProject1", "BatchPrint1", "PrintPreview1", "PrintCard1", "CaptureImage1",
                              "Changecarddesign1"})
        m_dataModule->item(QLatin1String(later))->setEnabled(false);

    pressed("BitBtn8", [this] {
        if (m_findWindow)
            m_findWindow();
    });
    pressed("BitBtn2", store(&CardStore::newCard));
    pressed("BitBtn3", captureFirst);
    pressed("getimgbtn", captureSecond);
    pressed("BitBtn4", store(&CardStore::undoCard));
    pressed("BitBtn1", store(&CardStore::deleteCard));
    pressed("BitBtn5", store(&CardStore::clearCard));
    pressed("BitBtn6", [this] { PreviewCard(); });
    pressed("BitBtn7", [this] {
        CommitCard();
        OpenCardDesign();
    });
    pressed("ExitButton", [this] { close(); });
    for (const char *later : {"BitBtn8", "BitBtn3", "getimgbtn", "BitBtn6", "BitBtn7"})
        button(QLatin1String(later))->setEnabled(false);

    // The navigator: move (which commits the card).
    const struct {
        const char *name;
        void (CardStore::*move)();
    } moves[] = {{"nbFirst", &CardStore::first}, {"nbPrior", &CardStore::prior},
                 {"nbNext", &CardStore::next}, {"nbLast", &CardStore::last}};
    for (const auto &m : moves) {
        auto *b = m_navigator->findChild<QToolButton *>(QLatin1String(m.name));
        connect(b, &QToolButton::clicked, this, [this, move = m.move] {
            ReportErrors([&] {
                if (m_store && m_table->isOpen()) {
                    m_dataSource->storePendingEdits();
                    (m_store->*move)();
                }
            });
        });
    }
}
