#include "dataman/exportwiz/Texportform.h"

#include "engine/EngineError.h"
#include "engine/Session.h"
#include "lang/CommonDialogs.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"

#include <QFileInfo>
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
    TableType type;   // Default: the comma-separated file
};
const Route kRoutes[] = {
    {"Dbase files (.dbf files)", "*.dbf", TableType::DBase},
    {"Ascii files with schema (.txt files)", "*.txt", TableType::Text},
    {"Paradox files (.db files)", "*.db", TableType::Paradox},
    {"Text/Comma Delimited (.txt,.csv file)", "*.csv", TableType::Default},
};

}  // namespace

Texportform::Texportform(const QString &appFolder, QWidget *parent) : TransferWizard(appFolder, 1, parent)
{
    setObjectName(QStringLiteral("exportform"));
    setWindowTitle(QStringLiteral("Export Wizard"));
    setFixedSize(399, 364);
    Label5->setText(QStringLiteral("Select Export Destination Source"));
    Label9->setText(QStringLiteral("Export to a database file of a specific type listed below. "));
    for (const Route &r : kRoutes)
        importtypes->addItem(QString::fromLatin1(r.entry));
}

void Texportform::nextFromPage1()
{
    if (RadioButton1->isChecked()) {
        const QString alias = aliasnames->currentItem()->text();
        fillTableList(alias, QStringLiteral("*"), false);
        m_chosen = alias;
        showPage(1);
        return;
    }
    ExportToFile(importtypes->currentRow());
}

void Texportform::ExportToFile(int entry)
{
    if (entry < 0 || entry >= int(std::size(kRoutes)))
        return;
    const Route &route = kRoutes[entry];
    showPage(2);
    const QString pattern = QString::fromLatin1(route.pattern);
    const QString extension = pattern.mid(2);
    const std::optional<QString> chosen =
        SaveFileDialog(this, importtypes->item(entry)->text(), m_appFolder, pattern);
    if (!chosen) {
        reject();
        return;
    }
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + extension;
    const QFileInfo info(path);
    Table1->close();
    try {
        runBusy([&](const transfer::Progress &progress) {
            if (route.type == TableType::Default) {
                transfer::WriteCommaFile(*Table1, path, progress);
                return;
            }
            transfer::CreateTableLike(*Table1, *Table2, info.absolutePath(), info.fileName(), route.type);
            const QStringList destFields = Table2->fieldNames();
            Table1->open();
            const QStringList cardFields = Table1->fieldNames();
            Table1->close();
            QStringList mapping;
            for (qsizetype i = 0; i < destFields.size() && i < cardFields.size(); ++i)
                mapping.append(destFields[i] + QLatin1Char('=') + cardFields[i]);
            transfer::MoveRecords(*Table1, *Table2, mapping, false, progress);
        });
    } catch (...) {
        // The failure is reported; the wizard stays open at its first page.
        Table1->close();
        Table2->close();
        showPage(0);
        throw;
    }
    accept();
}

void Texportform::nextFromPage2()
{
    QListWidgetItem *item = tablelist->currentItem();
    if (!item)
        return;
    Table2->close();
    Table2->setDatabaseName(m_chosen);
    Table2->setTableName(item->text());
    Table2->setTableType(TableType::Odbc);
    Table2->open();   // an error keeps the wizard on page 2
    const QStringList destFields = Table2->fieldNames();
    Table2->close();
    Table1->close();
    Table1->open();
    const QStringList cardFields = Table1->fieldNames();
    Table1->close();

    clearMapping();
    showPage(2);
    addLabels(ScrollBox1, destFields, QStringLiteral("tab2lab"), 1, 1, false);
    // Every card field is offered, the card number too: in another
    // database it is the key that finds a card again.
    addLabels(ScrollBox2, cardFields, QStringLiteral("tab1lab"), 1, 2, false);
    Timer1Timer();
}

void Texportform::finish()
{
    const transfer::MoveResult result = moveMapped(*Table1, *Table2);
    LocalMessageDlg(Literal(4) + QString::number(result.moved) + Literal(5) + QString::number(result.problems) +
                        Literal(6),
                    MsgKind::Information, MsgButton::OK);
    accept();
}
