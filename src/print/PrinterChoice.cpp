#include "print/PrinterChoice.h"

#include "devices/print/PrinterRegistry.h"
#include "lang/CommonDialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace vellora {

namespace {

bool choosePrinter(QWidget *parent, CommonDialogKind kind, const QString &title)
{
    CommonDialogRequest request{kind, title, CurrentPrinterName(), {}, {}, {}};
    if (auto scripted = AskCommonDialogAnswerer(request)) {
        if (!*scripted)
            return false;
        const QString name = (*scripted)->text;
        return name.isEmpty() || SelectPrinter(name);
    }

    QDialog dialog(parent);
    dialog.setObjectName(kind == CommonDialogKind::Print ? QStringLiteral("PrintDialog1")
                                                         : QStringLiteral("PrinterSetupDialog1"));
    dialog.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Printer:"), &dialog));
    auto *list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("PrinterList"));
    const QList<PrinterEntry> printers = AvailablePrinters();
    for (const PrinterEntry &p : printers) {
        auto *row = new QListWidgetItem(p.description.isEmpty() ? p.name : p.name + QStringLiteral(" \u2014 ") + p.description, list);
        row->setData(Qt::UserRole, p.name);
        if (p.name == CurrentPrinterName())
            list->setCurrentItem(row);
    }
    if (!list->currentItem() && list->count() > 0)
        list->setCurrentRow(0);
    layout->addWidget(list);

    auto *form = new QFormLayout;
    auto *resolution = new QComboBox(&dialog);
    resolution->setObjectName(QStringLiteral("Resolution"));
    for (int dpi : {150, 300, 600, 1200})
        resolution->addItem(QStringLiteral("%1 dpi").arg(dpi), dpi);
    resolution->setCurrentIndex(resolution->findData(TheVirtualCardPrinter().settings().dpi));
    form->addRow(QStringLiteral("Virtual card printer resolution:"), resolution);
    layout->addLayout(form);
    auto updateResolution = [&] {
        const QListWidgetItem *row = list->currentItem();
        resolution->setEnabled(row && row->data(Qt::UserRole).toString() == QLatin1String(VirtualCardPrinterName));
    };
    QObject::connect(list, &QListWidget::currentItemChanged, &dialog, updateResolution);
    updateResolution();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted || !list->currentItem())
        return false;
    const QString name = list->currentItem()->data(Qt::UserRole).toString();
    if (name == QLatin1String(VirtualCardPrinterName)) {
        VirtualCardPrinterSettings settings = TheVirtualCardPrinter().settings();
        settings.dpi = resolution->currentData().toInt();
        TheVirtualCardPrinter().setSettings(settings);
    }
    return SelectPrinter(name);
}

}  // namespace

bool ShowPrintDialog(QWidget *parent) { return choosePrinter(parent, CommonDialogKind::Print, QStringLiteral("Print")); }

bool ShowPrinterSetupDialog(QWidget *parent)
{
    return choosePrinter(parent, CommonDialogKind::PrinterSetup, QStringLiteral("Printer Setup"));
}

}  // namespace vellora
