#include "print/PrinterChoice.h"

#include "devices/print/PrinterRegistry.h"
#include "lang/CommonDialogs.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "print/PrinterProfiles.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <memory>
#include <optional>

namespace vellora {

namespace {

// A text of the printer setup dialog's stripe group from the language
// table, with the English one while no language is loaded.
QString stripeText(const QString &control, const QString &suffix, const char *english)
{
    const QString text = LangText(QStringLiteral("FORM:PrinterSetupDialog1-OWNER:PrinterSetupDialog1-CONTROL:") +
                                  control + suffix);
    return text.isEmpty() ? QString::fromUtf8(english) : text;
}

// The per-queue choice of encoding profile and coercivity, kept in the
// program folder's printers.cfg. Only CUPS queues have one.
class StripeChoice {
public:
    StripeChoice(QDialog &dialog, QVBoxLayout *layout)
    {
        m_group = new QGroupBox(stripeText(QStringLiteral("StripeGroup"), QStringLiteral("-CAPTION"), "Magnetic stripe"),
                                &dialog);
        m_group->setObjectName(QStringLiteral("StripeGroup"));
        auto *form = new QFormLayout(m_group);
        m_profile = new QComboBox(m_group);
        m_profile->setObjectName(QStringLiteral("EncodingProfile"));
        m_profile->setProperty("translate", false);
        m_profile->addItem(stripeText(QStringLiteral("EncodingProfile"), QStringLiteral("-ITEM0"), "Automatic"),
                           QString::fromLatin1(AutomaticProfileKey));
        for (const EncodingProfile &p : EncodingProfiles())
            m_profile->addItem(p.drawsEscapeText ? stripeText(QStringLiteral("EncodingProfile"), QStringLiteral("-ITEM1"),
                                                              "Escape text on the page")
                                                 : p.name,
                               p.key);
        m_coercivity = new QComboBox(m_group);
        m_coercivity->setObjectName(QStringLiteral("Coercivity"));
        m_coercivity->setProperty("translate", false);
        m_coercivity->addItem(stripeText(QStringLiteral("Coercivity"), QStringLiteral("-ITEM0"), "Driver default"),
                              CoercivityKey(Coercivity::Default));
        m_coercivity->addItem(stripeText(QStringLiteral("Coercivity"), QStringLiteral("-ITEM1"), "Low"),
                              CoercivityKey(Coercivity::Low));
        m_coercivity->addItem(stripeText(QStringLiteral("Coercivity"), QStringLiteral("-ITEM2"), "High"),
                              CoercivityKey(Coercivity::High));
        auto addRow = [&](const QString &name, const char *english, const char *hint, QComboBox *box) {
            auto *label = new QLabel(stripeText(name, QStringLiteral("-CAPTION"), english), m_group);
            label->setObjectName(name);
            label->setBuddy(box);
            box->setAccessibleName(label->text().remove(u'&'));
            box->setToolTip(stripeText(box->objectName(), QStringLiteral("-HINT"), hint));
            box->setAccessibleDescription(box->toolTip());
            form->addRow(label, box);
        };
        addRow(QStringLiteral("ProfileLabel"), "&Encoding profile:",
               "How the stripe data reaches this printer's driver; Automatic takes the one recognised from the driver",
               m_profile);
        addRow(QStringLiteral("CoercivityLabel"), "&Coercivity:", "The stripe's coercivity, where the driver sets it",
               m_coercivity);
        m_recognised = new QLabel(m_group);
        m_recognised->setObjectName(QStringLiteral("RecognisedProfile"));
        m_recognised->setProperty("translate", false);
        m_recognised->setWordWrap(true);
        form->addRow(m_recognised);
        layout->addWidget(m_group);
        QObject::connect(m_profile, &QComboBox::currentIndexChanged, m_group, [this] { updateCoercivity(); });
    }

    // Shows the choice of the queue (empty name or the virtual printer: none).
    void showQueue(const PrinterEntry *printer)
    {
        m_queue = printer && !printer->isVirtual ? printer->name : QString();
        m_group->setEnabled(!m_queue.isEmpty());
        m_listed = printer ? ListedPrinterProfile(*printer) : ListedPrinterEncoding{};
        const std::optional<EncodingOverride> choice =
            m_queue.isEmpty() ? std::nullopt : EncodingOverrideFor(m_queue);
        m_profile->setCurrentIndex(qMax(0, m_profile->findData(choice ? choice->profileKey : QString::fromLatin1(AutomaticProfileKey))));
        m_coercivity->setCurrentIndex(qMax(0, m_coercivity->findData(CoercivityKey(choice ? choice->coercivity : Coercivity::Default))));
        PrinterEncoding recognised = m_listed.encoding;
        if (recognised.chosen)  // what Automatic would give
            recognised = m_queue.isEmpty() ? PrinterEncoding{} : recognisedOnly(m_queue);
        m_recognisedProfile = recognised.profile;
        const QString found = recognised.profile ? recognised.profile->name
                              : !recognised.error.isEmpty() ? recognised.error
                                                            : stripeText(QStringLiteral("RecognisedProfile"),
                                                                         QStringLiteral("-NONE"), "none");
        m_recognised->setText(m_queue.isEmpty() ? QString()
                                                : stripeText(QStringLiteral("RecognisedProfile"), QStringLiteral("-CAPTION"),
                                                             "Recognised from the driver: %1")
                                                      .arg(found));
        m_recognised->setAccessibleName(m_recognised->text());
        updateCoercivity();
    }

    // Keeps the shown choice for the queue; raises PrintError when the file
    // cannot be written.
    void store() const
    {
        if (m_queue.isEmpty())
            return;
        const EncodingOverride choice{m_profile->currentData().toString(),
                                      CoercivityFromKey(m_coercivity->currentData().toString())};
        const bool automatic =
            choice.profileKey == QLatin1String(AutomaticProfileKey) && choice.coercivity == Coercivity::Default;
        if (EncodingOverrideFor(m_queue).value_or(EncodingOverride{QString::fromLatin1(AutomaticProfileKey)}) == choice)
            return;
        StoreEncodingOverride(m_queue, automatic ? std::nullopt : std::optional<EncodingOverride>(choice));
    }

private:
    static PrinterEncoding recognisedOnly(const QString &queue)
    {
        PrinterEncoding e;
        if (const std::optional<QByteArray> text = QueuePpd(queue, &e.error)) {
            e.ppd = ParsePpd(*text);
            e.profile = RecogniseEncodingProfile(e.ppd);
        }
        return e;
    }

    void updateCoercivity()
    {
        const QString key = m_profile->currentData().toString();
        const EncodingProfile *p = key == QLatin1String(AutomaticProfileKey) ? m_recognisedProfile : EncodingProfileByKey(key);
        m_coercivity->setEnabled(p && p->hasCoercivity);
    }

    QGroupBox *m_group = nullptr;
    QComboBox *m_profile = nullptr;
    QComboBox *m_coercivity = nullptr;
    QLabel *m_recognised = nullptr;
    QString m_queue;
    ListedPrinterEncoding m_listed;
    const EncodingProfile *m_recognisedProfile = nullptr;
};

// A text of the print or printer setup dialog from the language table, with
// the English one while no language is loaded.
QString choiceText(CommonDialogKind kind, const QString &control, const char *english)
{
    const QString dialog = kind == CommonDialogKind::Print ? QStringLiteral("PrintDialog1")
                                                           : QStringLiteral("PrinterSetupDialog1");
    const QString text = LangText(QStringLiteral("FORM:%1-OWNER:%2-CONTROL:%3-CAPTION")
                                      .arg(dialog, control == dialog ? QString() : dialog, control));
    return text.isEmpty() ? QString::fromUtf8(english) : text;
}

bool choosePrinter(QWidget *parent, CommonDialogKind kind, const char *englishTitle)
{
    const QString dialogName = kind == CommonDialogKind::Print ? QStringLiteral("PrintDialog1")
                                                               : QStringLiteral("PrinterSetupDialog1");
    const QString title = choiceText(kind, dialogName, englishTitle);
    CommonDialogRequest request{kind, title, CurrentPrinterName(), {}, {}, {}};
    if (auto scripted = AskCommonDialogAnswerer(request)) {
        if (!*scripted)
            return false;
        const QString name = (*scripted)->text;
        return name.isEmpty() || SelectPrinter(name);
    }

    QDialog dialog(parent);
    dialog.setObjectName(dialogName);
    // Built for one question in the current language.
    dialog.setProperty("translate", false);
    dialog.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&dialog);
    auto *printerLabel = new QLabel(choiceText(kind, QStringLiteral("PrinterLabel"), "&Printer:"), &dialog);
    printerLabel->setObjectName(QStringLiteral("PrinterLabel"));
    layout->addWidget(printerLabel);
    auto *list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("PrinterList"));
    printerLabel->setBuddy(list);
    list->setAccessibleName(printerLabel->text().remove(u'&'));
    const QList<PrinterEntry> printers = AvailablePrinters();
    for (const PrinterEntry &p : printers) {
        // The stripe encoding right after the name, where a narrow list still shows it.
        QString text = p.name + QStringLiteral(" [") + ProfileLabel(ListedPrinterProfile(p)) + u']';
        if (!p.description.isEmpty())
            text += QStringLiteral(" \u2014 ") + p.description;
        auto *row = new QListWidgetItem(text, list);
        row->setToolTip(text);
        row->setData(Qt::UserRole, p.name);
        if (p.name == CurrentPrinterName())
            list->setCurrentItem(row);
    }
    if (!list->currentItem() && list->count() > 0)
        list->setCurrentRow(0);
    // Room for the longest printer name and its description, within reason.
    int widest = 0;
    for (int i = 0; i < list->count(); ++i)
        widest = qMax(widest, list->fontMetrics().horizontalAdvance(list->item(i)->text()));
    list->setMinimumWidth(qMin(widest + 2 * list->frameWidth() + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16, 1000));
    layout->addWidget(list);

    auto *form = new QFormLayout;
    auto *resolution = new QComboBox(&dialog);
    resolution->setObjectName(QStringLiteral("Resolution"));
    for (int dpi : {150, 300, 600, 1200})
        resolution->addItem(QStringLiteral("%1 dpi").arg(dpi), dpi);
    resolution->setCurrentIndex(resolution->findData(TheVirtualCardPrinter().settings().dpi));
    auto *resolutionLabel =
        new QLabel(choiceText(kind, QStringLiteral("ResolutionLabel"), "Virtual card printer &resolution:"), &dialog);
    resolutionLabel->setObjectName(QStringLiteral("ResolutionLabel"));
    resolutionLabel->setBuddy(resolution);
    resolution->setAccessibleName(resolutionLabel->text().remove(u'&'));
    form->addRow(resolutionLabel, resolution);
    layout->addLayout(form);
    auto updateResolution = [&] {
        const QListWidgetItem *row = list->currentItem();
        resolution->setEnabled(row && row->data(Qt::UserRole).toString() == QLatin1String(VirtualCardPrinterName));
    };
    QObject::connect(list, &QListWidget::currentItemChanged, &dialog, updateResolution);
    updateResolution();

    std::unique_ptr<StripeChoice> stripe;
    if (kind == CommonDialogKind::PrinterSetup) {
        stripe = std::make_unique<StripeChoice>(dialog, layout);
        auto showStripe = [&] {
            const QListWidgetItem *row = list->currentItem();
            const PrinterEntry *shown = nullptr;
            for (const PrinterEntry &p : printers)
                if (row && p.name == row->data(Qt::UserRole).toString())
                    shown = &p;
            stripe->showQueue(shown);
        };
        QObject::connect(list, &QListWidget::currentItemChanged, &dialog, showStripe);
        showStripe();
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->setObjectName(QStringLiteral("Buttons"));
    // The message boxes' OK and Cancel of the current language.
    if (!Literal(37).isEmpty())
        buttons->button(QDialogButtonBox::Ok)->setText(Literal(37));
    if (!Literal(38).isEmpty())
        buttons->button(QDialogButtonBox::Cancel)->setText(Literal(38));
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
    if (stripe) {
        try {
            stripe->store();
        } catch (const PrintError &e) {
            PlainMessage(title, e.message(), PlainIcon::Error);
            return false;
        }
    }
    return SelectPrinter(name);
}

}  // namespace

bool ShowPrintDialog(QWidget *parent) { return choosePrinter(parent, CommonDialogKind::Print, "Print"); }

bool ShowPrinterSetupDialog(QWidget *parent)
{
    return choosePrinter(parent, CommonDialogKind::PrinterSetup, "Printer Setup");
}

}  // namespace vellora
