#include "app/printing/PrintCommands.h"

#include "app/mainwindow/TForm1.h"
#include "devices/print/PrinterRegistry.h"
#include "devices/print/QueueEncoding.h"
#include "engine/Table.h"
#include "layout/file/LayoutFile.h"
#include "print/PrintJob.h"
#include "print/PrinterChoice.h"
#include "print/batch/TPbatch.h"
#include "print/batch/Tbatchprint.h"
#include "print/preview/TPrintPreview.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"
#include "store/Settings.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QTextDocument>

namespace vellora {

namespace {

constexpr char kPreviewProperty[] = "vellora_printPreview";
constexpr char kBatchProperty[] = "vellora_batchPrint";
constexpr char kProgressProperty[] = "vellora_batchProgress";

// Shows the placeholders again however the command ends.
CardFont cardFont(const QFont &font, const QColor &colour)
{
    CardFont f;
    f.face = font.family();
    f.size = CardFontPoints(font);
    f.colour = colour;
    f.bold = font.bold();
    f.italic = font.italic();
    f.underline = font.underline();
    f.strikeOut = font.strikeOut();
    return f;
}

CardTextAlign cardAlignment(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignRight)
        return CardTextAlign::Right;
    if (alignment & Qt::AlignHCenter)
        return CardTextAlign::Center;
    return CardTextAlign::Left;
}

int sideIndex(CardSideId side) { return side == CardSideId::Front ? 0 : 1; }

}  // namespace

CardSideModel CardSideFromPanel(const CardSideItems &items, CardSideId side)
{
    CardSideModel model;
    model.side = side;
    if (!items.panel)
        return model;
    model.panelSize = items.panel->size();

    // Pictures and free texts in stacking order, bottom first (the order of
    // the panel's children is the stacking order).
    for (QObject *child : items.panel->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget)
            continue;
        CardItem item;
        item.name = widget->objectName();
        item.geometry = widget->geometry();
        item.visible = !widget->isHidden();
        if (auto *photo = qobject_cast<PhotoItem *>(widget)) {
            if (photo == items.BackImage1)
                item.kind = CardItemKind::Background;
            else if (photo == items.statimage1)
                item.kind = CardItemKind::StaticPicture;
            else if (photo == items.Image1 || photo == items.secphot)
                item.kind = CardItemKind::Photo;
            else
                continue;
            item.picture = photo->picture();
            if (item.kind == CardItemKind::Photo) {
                item.unreadablePhoto = photo->unreadablePhoto();
                item.unreadableReason = photo->unreadableReason();
            }
            item.stretch = photo->stretch();
            item.proportional = photo->proportional();
        } else if (auto *label = qobject_cast<QLabel *>(widget)) {
            if (std::find(items.statlabel.begin(), items.statlabel.end(), label) == items.statlabel.end())
                continue;
            item.kind = CardItemKind::FreeText;
            item.text = label->text();
            item.font = cardFont(label->font(), label->palette().color(QPalette::WindowText));
            item.alignment = cardAlignment(label->alignment());
            item.wordWrap = label->wordWrap();
        } else {
            continue;
        }
        model.items.push_back(std::move(item));
    }

    // The field items, in the order they were made; their placeholders are
    // labels inside them and never part of the card.
    for (const DBMemo *memo : items.fieldItems) {
        CardItem item;
        item.name = memo->objectName();
        item.kind = CardItemKind::FieldItem;
        item.geometry = memo->geometry();
        item.visible = !memo->isHidden();
        item.text = memo->toPlainText();
        item.font = cardFont(memo->font(), memo->palette().color(QPalette::Text));
        item.alignment = cardAlignment(memo->document()->defaultTextOption().alignment());
        item.wordWrap = true;
        item.background = memo->palette().color(QPalette::Base);
        model.items.push_back(std::move(item));
    }
    return model;
}

CardPrintOptions PrintOptionsOf(const TForm1 &main)
{
    const SettingsRecord &front = main.settings().front;
    CardPrintOptions o;
    o.monoPrinter = front.MonoPrinter == 1;
    o.doubleSided = front.DoubleSided == 1;
    o.stripeOn = front.StripeOn != 0;
    for (int t = 0; t < 3; ++t) {
        o.trackUse[t] = front.Track[t].use != 0;
        o.trackSource[t] = front.Track[t].source;
        o.trackValue[t] = front.Track[t].value;
    }
    return o;
}

PreviewSource PreviewSourceFor(TForm1 &main)
{
    TForm1 *window = &main;
    PreviewSource s;
    s.cardSide = [window](CardSideId side) { return CardSideFromPanel(window->side(sideIndex(side)), side); };
    s.panelGeometry = [window](CardSideId side) {
        QWidget *panel = window->side(sideIndex(side)).panel;
        return panel ? panel->geometry() : QRect();
    };
    s.background = [window](CardSideId side) {
        return ReadLayoutBackground(window->appFolder(), side, window->settings().side(sideIndex(side)));
    };
    s.options = [window] { return PrintOptionsOf(*window); };
    s.cardField = [window](const QString &name) -> std::optional<QString> {
        Table *table = window->table();
        if (!table || !table->isOpen())
            return std::nullopt;
        const Field field = table->findField(name);
        if (!field.isValid())
            return std::nullopt;
        return field.asString();
    };
    s.mainWindowGeometry = [window] { return window->geometry(); };
    return s;
}

BatchHost BatchHostFor(TForm1 &main, TPrintPreview *preview, TPbatch *progress)
{
    TForm1 *window = &main;
    BatchHost host;
    host.table = main.table();
    host.hidePlaceholders = [window] { window->ShowPlaceholders(false); };
    host.preview = preview;
    host.progress = progress;
    return host;
}

void ShowPreviewModal(TPrintPreview &preview)
{
    preview.BatchMode = false;
    preview.ShowModalPreview();
}

void PrintWithPreview(TPrintPreview &preview)
{
    preview.BatchMode = false;
    preview.ShowPreview();
    // A cancelled print dialog or an unsupported-printer message left without
    // OK leaves the preview open: nothing was printed and the operator
    // decides what next. An error hides it and reaches the error report.
    auto hideOnError = qScopeGuard([&preview] { preview.hide(); });
    const bool close = preview.RunPrintJob(RenderMode::Full).closePreview;
    hideOnError.dismiss();
    if (close)
        preview.hide();
}

void InstallPrintCommands(TForm1 &main, TPrintPreview *preview, Tbatchprint *batch, TPbatch *progress)
{
    TForm1 *window = &main;
    const QPointer<TPrintPreview> p = preview;
    const QPointer<Tbatchprint> b = batch;
    const QPointer<TPbatch> g = progress;
    QObject::connect(&main, &QObject::destroyed, [p, b, g] {
        delete b.data();
        delete g.data();
        delete p.data();
    });
    main.setProperty(kPreviewProperty, QVariant::fromValue<QObject *>(preview));
    main.setProperty(kBatchProperty, QVariant::fromValue<QObject *>(batch));
    main.setProperty(kProgressProperty, QVariant::fromValue<QObject *>(progress));

    preview->setSource(PreviewSourceFor(main));
    batch->setHost(BatchHostFor(main, preview, progress));
    batch->setMonochrome([window] { return window->settings().front.MonoPrinter == 1; });
    batch->setMainWindowGeometry([window] { return window->frameGeometry(); });

    VirtualCardPrinterSettings printer = TheVirtualCardPrinter().settings();
    printer.outputFolder = main.appFolder() + QStringLiteral("printed/");
    TheVirtualCardPrinter().setSettings(printer);
    SetEncodingOverrideFile(main.appFolder() + QString::fromLatin1(EncodingOverrideFileName));

    // The main window commits the card and hides the placeholders around
    // these (PreviewCard, PrintCard, Batch Print).
    main.setPreviewWindow(
        [p] {
            if (p)
                ShowPreviewModal(*p);
        },
        [p] {
            if (p)
                PrintWithPreview(*p);
        });
    main.setBatchPrintWindow([b] {
        if (b)
            b->exec();
    });
}

PrintWindows PrintWindowsOf(const TForm1 &main)
{
    PrintWindows w;
    w.preview = qobject_cast<TPrintPreview *>(main.property(kPreviewProperty).value<QObject *>());
    w.batch = qobject_cast<Tbatchprint *>(main.property(kBatchProperty).value<QObject *>());
    w.progress = qobject_cast<TPbatch *>(main.property(kProgressProperty).value<QObject *>());
    return w;
}

}  // namespace vellora
