#include "dataman/importwiz/Timportform.h"

#include "engine/EngineError.h"
#include "engine/Session.h"
#include "lang/CommonDialogs.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "store/CardTable.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollArea>

using namespace vellora;

namespace {

struct Route {
    const char *entry;
    const char *pattern;
    TableType type;
};
// The entries of importtypes, by index; the last is the comma-separated route.
const Route kRoutes[] = {
    {"Dbase files (.dbf files)", "*.dbf", TableType::DBase},
    {"Ascii files with schema (.txt files)", "*.txt", TableType::Text},
    {"Paradox files (.db files)", "*.db", TableType::Paradox},
    {"Foxpro files (.dbf files)", "*.dbf", TableType::FoxPro},
    {"Text/CSV files (.txt/.csv)", nullptr, TableType::Text},
};

}  // namespace

Timportform::Timportform(const QString &appFolder, QWidget *parent) : TransferWizard(appFolder, 2, parent)
{
    setObjectName(QStringLiteral("importform"));
    setWindowTitle(QStringLiteral("Import Wizard"));
    setFixedSize(400, 365);
    for (const Route &r : kRoutes)
        importtypes->addItem(QString::fromLatin1(r.entry));
}

void Timportform::nextFromPage1()
{
    if (RadioButton1->isChecked()) {
        const QString alias = aliasnames->currentItem()->text();
        // Listed first, so that a source refusing the login leaves page 1.
        fillTableList(alias, QStringLiteral("*"), false);
        m_chosen = alias;
        m_sourceType = TableType::Odbc;
        showPage(1);
        return;
    }
    const int entry = importtypes->currentRow();
    if (entry < 0 || entry >= int(std::size(kRoutes)))
        return;
    if (!kRoutes[entry].pattern) {
        showPage(1);
        ImportCommaFile();
        return;
    }
    QString folder = m_appFolder;
    if (const std::optional<QString> chosen = FolderDialog(this, GroupBox2->title(), m_appFolder))
        folder = chosen->endsWith(QLatin1Char('/')) ? *chosen : *chosen + QLatin1Char('/');
    fillTableList(folder, QString::fromLatin1(kRoutes[entry].pattern), true);
    m_chosen = folder;
    m_sourceType = kRoutes[entry].type;
    showPage(1);
}

bool Timportform::ImportCommaFile()
{
    const std::optional<QString> file =
        OpenFileDialog(this, importtypes->item(4) ? importtypes->item(4)->text() : QString(), m_appFolder,
                       QStringLiteral("CSV Files (*.csv *.txt)"));
    if (!file) {
        showPage(0);
        return false;
    }
    Table2->close();
    transfer::RemoveTempTable(m_appFolder);
    const bool header = LocalMessageDlg(Literal(7), MsgKind::Confirmation, MsgButton::Yes | MsgButton::No) == MrYes;
    try {
        runBusy([&](const transfer::Progress &progress) {
            transfer::LoadCommaFile(*file, m_appFolder, header, progress);
        });
    } catch (const OperatorError &e) {
        LocalMessageDlg(Literal(8) + QStringLiteral("\n\n") + e.message(), MsgKind::Error, MsgButton::OK);
        showPage(0);
        return false;
    }
    tablelist->clear();
    tablelist->addItem(QString::fromLatin1(transfer::kTempTableName));
    tablelist->setCurrentRow(0);
    m_chosen = m_appFolder;
    m_sourceType = TableType::Text;
    nextFromPage2();
    return true;
}

void Timportform::nextFromPage2()
{
    QListWidgetItem *item = tablelist->currentItem();
    if (!item)
        return;
    Table2->close();
    Table2->setDatabaseName(m_chosen);
    Table2->setTableName(item->text());
    Table2->setTableType(m_sourceType);
    Table2->open();   // an error keeps the wizard on page 2
    const QStringList sourceFields = Table2->fieldNames();
    Table2->close();
    Table1->close();
    Table1->open();
    QStringList cardFields = Table1->fieldNames();
    Table1->close();
    // The card number is the card table's own: never an import destination.
    if (!cardFields.isEmpty())
        cardFields.removeFirst();

    clearMapping();
    showPage(2);
    addLabels(ScrollBox2, sourceFields, QStringLiteral("tab2lab"), 1, 1, true);
    addLabels(ScrollBox1, cardFields, QStringLiteral("tab1lab"), 2, 2, false);
    Timer1Timer();
}

void Timportform::finish()
{
    const transfer::MoveResult result = moveMapped(*Table2, *Table1);
    transfer::RemoveTempTable(m_appFolder);
    LocalMessageDlg(Literal(9) + QString::number(result.moved) + Literal(10) + QString::number(result.problems) +
                        Literal(11),
                    MsgKind::Information, MsgButton::OK);
    accept();
}

void Timportform::cleanUp()
{
    TransferWizard::cleanUp();
    transfer::RemoveTempTable(m_appFolder);
}
