// The main window's menu and button commands.
#include "app/mainwindow/MainMenu.h"
#include "app/mainwindow/PhotoMenu.h"
#include "app/mainwindow/TForm1.h"

#include "app/shell/ErrorReport.h"
#include "app/shell/HelpViewer.h"
#include "app/startup/AboutForm.h"
#include "devices/shell/DesktopShell.h"
#include "engine/Table.h"
#include "lang/GlyphButton.h"
#include "lang/LanguageSelection.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/OverrideCursor.h"
#include "print/PrinterChoice.h"
#include "store/CardStore.h"
#include "store/CardTable.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"

#include <QAction>
#include <QScopeGuard>
#include <QApplication>
#include <QToolButton>
#include <QUrl>
#include <exception>

using namespace vellora;

// The manual and the tour open in the program's own viewer when the desktop
// has nothing that opens them.
void TForm1::OpenManual()
{
    const QString page = m_appFolder + QStringLiteral("manual/index.html");
    OpenWithDesktop(QUrl::fromLocalFile(page), [page] { ShowHelpPage(page); });
}

void TForm1::OpenOnlineSupport()
{
    const QString address = QString::fromLatin1(kOnlineSupportUrl);
    OpenWithDesktop(QUrl(address), [address] {
        LocalMessageDlg(LangText(QStringLiteral("HELP:NoBrowser")) + QStringLiteral("\n\n") + address,
                        MsgKind::Information, MsgButton::OK);
    });
}

void TForm1::OpenQuickTour()
{
    const QString page = m_appFolder + QStringLiteral("tour/tour.html");
    OpenWithDesktop(QUrl(QStringLiteral("file://") + page), [page] { ShowHelpPage(page); });
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
    m_photoMenu->setCaptureEnabled(on);
}

void TForm1::setPictureFilePaste(PictureFilePaste open) { m_photoMenu->setPictureFilePaste(std::move(open)); }

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

void TForm1::setDataTransferWizards(std::function<void()> importModal, std::function<void()> exportModal)
{
    m_importWizard = std::move(importModal);
    m_exportWizard = std::move(exportModal);
    enableCommand("ImportData1", bool(m_importWizard));
    enableCommand("ExportData1", bool(m_exportWizard));
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
    const auto showAgain = qScopeGuard([this] { ShowPlaceholders(true); });
    command();
}

void TForm1::PreviewCard()
{
    if (!m_previewModal)
        return;
    const OverrideCursor wait;
    CommitCard();
    runWithPlaceholdersHidden(m_previewModal);
}

void TForm1::PrintCard()
{
    if (!m_previewPrint)
        return;
    const OverrideCursor wait;
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
    if (m_databaseView)
        runWithCardTableClosed(m_databaseView);
}

void TForm1::ImportData()
{
    if (m_importWizard)
        runWithCardTableClosed(m_importWizard);
}

void TForm1::ExportData()
{
    if (m_exportWizard)
        runWithCardTableClosed(m_exportWizard);
}

void TForm1::runWithCardTableClosed(const std::function<void()> &window)
{
    // What the operator typed is kept: the window works on the table files.
    CommitCard();
    m_table->close();
    // However the window ends, the card face is rebuilt; an error of the
    // window is reported after that. (Rebuilding may throw itself, so it is
    // no scope guard.)
    std::exception_ptr viewError;
    try {
        window();
    } catch (...) {
        viewError = std::current_exception();
    }
    try {
        openCardTable();
    } catch (...) {
        // The card face then has no field items.
    }
    RebuildFieldItems();
    ApplyAllLayouts();
    if (viewError)
        std::rethrow_exception(viewError);
}

std::function<void()> TForm1::storeCommand(std::function<void(CardStore &)> command)
{
    return [this, command = std::move(command)] {
        if (m_store && m_table->isOpen())
            command(*m_store);
    };
}

void TForm1::connectMenu()
{
    // Every command is a std::function made here and held by its
    // connection. None is a lambda nested in a generic lambda: GCC then
    // captured `this` through the enclosing closure, which is gone once this
    // function returns, and the command ran on a stale pointer.
    const auto on = [this](const char *name, std::function<void()> slot) {
        QAction *action = m_dataModule->item(QLatin1String(name));
        Q_ASSERT(action);
        connect(action, &QAction::triggered, this, [slot = std::move(slot)] { ReportErrors(slot); });
    };
    const auto pressed = [this](const char *name, std::function<void()> slot) {
        GlyphButton *b = button(QLatin1String(name));
        Q_ASSERT(b);
        connect(b, &QAbstractButton::clicked, this, [slot = std::move(slot)] { ReportErrors(slot); });
    };
    // New and Undo give nothing back; Clear and Delete tell whether they
    // were done. Text typed into a date or number box is checked before the
    // card is left; Undo drops it.
    const auto store = [this](void (CardStore::*command)()) {
        const bool undo = command == &CardStore::undoCard;
        return storeCommand([this, command, undo](CardStore &s) {
            if (undo)
                m_dataSource->dropPendingEdits();
            else
                m_dataSource->storePendingEdits();
            (s.*command)();
        });
    };
    const auto storeAsking = [this](bool (CardStore::*command)()) {
        return storeCommand([this, command](CardStore &s) {
            m_dataSource->storePendingEdits();
            (s.*command)();
        });
    };
    const std::function<void()> captureFirst = [this] { OpenCapture(m_front.Image1, QString(), 0); };
    const std::function<void()> captureSecond = [this] { OpenCapture(m_front.secphot, QStringLiteral("-2"), 1); };
    const std::function<void()> batchPrint = [this] {
        if (!m_batchPrintWindow)
            return;
        CommitCard();
        runWithPlaceholdersHidden(m_batchPrintWindow);
    };

    on("Save1", [this] { CommitCard(); });
    on("SaveBackupCopy1", [this] { SaveBackupCopy(); });
    on("EditDatabase1", [this] { EditDatabase(); });
    on("ImportData1", [this] { ImportData(); });
    on("ExportData1", [this] { ExportData(); });
    on("BatchPrint1", batchPrint);
    on("PrinterSetup1", [this] { ShowPrinterSetupDialog(this); });
    on("PrintPreview1", [this] { PreviewCard(); });
    on("PrintCard1", [this] { PrintCard(); });
    on("Exit1", [this] { close(); });
    on("Undo1", store(&CardStore::undoCard));
    on("Insertnewcard1", store(&CardStore::newCard));
    on("Clearcarddata1", storeAsking(&CardStore::clearCard));
    on("Deletecard1", storeAsking(&CardStore::deleteCard));
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
    for (const char *later : {"LoadBackupCopy1", "EditDatabase1", "ImportData1", "ExportData1", "ImportProject1", "ExportProject1",
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
    pressed("BitBtn1", storeAsking(&CardStore::deleteCard));
    pressed("BitBtn5", storeAsking(&CardStore::clearCard));
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
        connect(b, &QToolButton::clicked, this, [command = store(m.move)] { ReportErrors(command); });
    }
}
