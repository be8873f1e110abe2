// The main window's menu and button commands.
#include "app/mainwindow/MainMenu.h"
#include "app/mainwindow/TForm1.h"

#include "app/shell/ErrorReport.h"
#include "app/startup/AboutForm.h"
#include "lang/GlyphButton.h"
#include "devices/shell/DesktopShell.h"
#include "engine/Table.h"
#include "lang/LanguageSelection.h"
#include "store/CardStore.h"

#include <QAction>
#include <QToolButton>
#include <QUrl>

using namespace vellora;

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
    auto *button = findChild<GlyphButton *>(buttonName);
    Q_ASSERT_X(button, "setButtonCommand", qPrintable(buttonName));
    if (!button)
        return;
    disconnect(button, &QAbstractButton::clicked, this, nullptr);
    connect(button, &QAbstractButton::clicked, this, [command = std::move(command)] { ReportErrors(command); });
    button->setEnabled(true);
}

void TForm1::connectMenu()
{
    auto on = [this](const char *name, auto &&slot) {
        QAction *action = m_dataModule->item(QLatin1String(name));
        Q_ASSERT(action);
        connect(action, &QAction::triggered, this, [slot = std::forward<decltype(slot)>(slot)] { ReportErrors(slot); });
    };
    auto button = [this](const char *name, auto &&slot) {
        auto *b = findChild<GlyphButton *>(QLatin1String(name));
        Q_ASSERT(b);
        connect(b, &QAbstractButton::clicked, this, [slot = std::forward<decltype(slot)>(slot)] { ReportErrors(slot); });
    };
    auto store = [this](void (CardStore::*command)()) {
        return [this, command] {
            if (m_store && m_table->isOpen())
                (m_store->*command)();
        };
    };
    auto storeAsk = [this](bool (CardStore::*command)()) {
        return [this, command] {
            if (m_store && m_table->isOpen())
                (m_store->*command)();
        };
    };

    on("Save1", [this] { CommitCard(); });
    on("SaveBackupCopy1", [this] { SaveBackupCopy(); });
    on("Exit1", [this] { close(); });
    on("Undo1", store(&CardStore::undoCard));
    on("Insertnewcard1", store(&CardStore::newCard));
    on("Clearcarddata1", storeAsk(&CardStore::clearCard));
    on("Deletecard1", storeAsk(&CardStore::deleteCard));
    on("SelectLanguage1", [this] {
        if (m_languageDialog)
            m_languageDialog->exec();
    });
    on("Manual1", [this] { OpenManual(); });
    on("AboutVelloraID1", [this] { ShowAbout(); });
    on("OnlineSupport1", [this] { OpenOnlineSupport(); });
    on("QuickTour1", [this] { OpenQuickTour(); });

    // Commands whose windows come later stay visible and disabled.
    for (const char *later : {"LoadBackupCopy1", "EditDatabase1", "ImportProject1", "ExportProject1",
                              "CreateBlankProject1", "BatchPrint1", "PrinterSetup1", "PrintPreview1", "PrintCard1",
                              "CaptureImage1", "Changecarddesign1"})
        m_dataModule->item(QLatin1String(later))->setEnabled(false);

    button("BitBtn2", store(&CardStore::newCard));
    button("BitBtn4", store(&CardStore::undoCard));
    button("BitBtn1", storeAsk(&CardStore::deleteCard));
    button("BitBtn5", storeAsk(&CardStore::clearCard));
    button("ExitButton", [this] { close(); });
    for (const char *later : {"BitBtn8", "BitBtn3", "getimgbtn", "BitBtn6", "BitBtn7"})
        findChild<GlyphButton *>(QLatin1String(later))->setEnabled(false);

    // The navigator: move, then commit.
    const struct {
        const char *name;
        void (CardStore::*move)();
    } moves[] = {{"nbFirst", &CardStore::first}, {"nbPrior", &CardStore::prior},
                 {"nbNext", &CardStore::next}, {"nbLast", &CardStore::last}};
    for (const auto &m : moves) {
        auto *b = m_navigator->findChild<QToolButton *>(QLatin1String(m.name));
        connect(b, &QToolButton::clicked, this, [this, move = m.move] {
            ReportErrors([&] {
                if (m_store && m_table->isOpen())
                    (m_store->*move)();
            });
        });
    }
}
