#include "dataman/odbcsetup/DataSourceDialog.h"

#include "dataman/odbcsetup/DataSourceInstaller.h"
#include "engine/Session.h"
#include "lang/LanguageTable.h"
#include "lang/Translation.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTableWidget>

using namespace vellora;

namespace {

constexpr int kKeywordRows = 8;

// A text of this dialog from the language file, the built-in one when the
// file has none.
QString text(const char *key, const char *builtIn)
{
    const QString t = LangText(QString::fromLatin1(key));
    return t.isEmpty() ? QString::fromUtf8(builtIn) : t;
}

}  // namespace

TDsnForm::TDsnForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dsnform"));
    setWindowTitle(QStringLiteral("Add New Data Source"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    setFixedSize(380, 330);
    auto label = [this](const char *name, const char *caption, const QRect &r) {
        auto *l = new QLabel(QString::fromLatin1(caption), this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(r);
        return l;
    };
    Label1 = label("Label1", "Data source name:", {10, 12, 150, 22});
    dsnname = new QLineEdit(this);
    dsnname->setObjectName(QStringLiteral("dsnname"));
    dsnname->setGeometry(165, 12, 205, 22);
    Label1->setBuddy(dsnname);
    Label2 = label("Label2", "Driver:", {10, 42, 150, 22});
    drivers = new QComboBox(this);
    drivers->setObjectName(QStringLiteral("drivers"));
    drivers->setGeometry(165, 42, 205, 22);
    Label2->setBuddy(drivers);
    Label3 = label("Label3", "Connection keywords:", {10, 74, 360, 20});
    keywords = new QTableWidget(kKeywordRows, 2, this);
    keywords->setObjectName(QStringLiteral("keywords"));
    keywords->setGeometry(10, 94, 360, 166);
    keywords->verticalHeader()->hide();
    keywords->horizontalHeader()->setStretchLastSection(true);
    keywords->setColumnWidth(0, 140);
    Label3->setBuddy(keywords);
    Label4 = label("Label4", "", {10, 262, 360, 30});
    Label4->setWordWrap(true);
    Label4->setStyleSheet(QStringLiteral("color: #b00000"));
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(210, 296, 76, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(294, 296, 76, 25);
    connect(Button1, &QPushButton::clicked, this, &TDsnForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(drivers, &QComboBox::currentIndexChanged, this, &TDsnForm::fillKeywords);
}

void TDsnForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TDsnForm::FormShow()
{
    keywords->setHorizontalHeaderLabels({text("DsnKeywordColumn", "Keyword"), text("DsnValueColumn", "Value")});
    keywords->setAccessibleName(Label3->text());
    Label4->clear();
    dsnname->clear();
    const QSignalBlocker quiet(drivers);
    drivers->clear();
    drivers->addItems(InstalledOdbcDrivers());
    fillKeywords();
    dsnname->setFocus();
}

void TDsnForm::fillKeywords()
{
    keywords->clearContents();
    const OdbcKeywords common = CommonOdbcKeywords(drivers->currentText());
    for (int r = 0; r < kKeywordRows; ++r) {
        keywords->setItem(r, 0, new QTableWidgetItem(r < common.size() ? common[r].first : QString()));
        keywords->setItem(r, 1, new QTableWidgetItem(r < common.size() ? common[r].second : QString()));
    }
}

void TDsnForm::Button1Click()
{
    const QString name = dsnname->text().trimmed();
    if (name.isEmpty()) {
        Label4->setText(text("DsnNameMissing", "Please enter a name for the data source."));
        dsnname->setFocus();
        return;
    }
    if (drivers->currentText().isEmpty()) {
        Label4->setText(text("DsnNoDriver", "No ODBC driver is installed."));
        return;
    }
    Session probe;
    if (probe.aliasNames().contains(name, Qt::CaseInsensitive)) {
        Label4->setText(text("DsnExists", "A data source of this name exists already:") + QLatin1Char(' ') + name);
        dsnname->setFocus();
        return;
    }
    OdbcKeywords values;
    for (int r = 0; r < keywords->rowCount(); ++r) {
        const QTableWidgetItem *k = keywords->item(r, 0);
        const QTableWidgetItem *v = keywords->item(r, 1);
        if (k && !k->text().trimmed().isEmpty())
            values.append({k->text().trimmed(), v ? v->text() : QString()});
    }
    QString error;
    if (!WriteUserDataSource(name, drivers->currentText(), values, &error)) {
        Label4->setText(text("DsnNotWritten", "The data source could not be written:") + QLatin1Char(' ') + error);
        return;
    }
    m_created = name;
    accept();
}

bool ShowDataSourceDialog(QWidget *parent)
{
    TDsnForm form(parent);
    TranslateComponent(&form);
    return form.exec() == QDialog::Accepted;
}
