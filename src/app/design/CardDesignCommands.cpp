#include "app/design/CardDesignCommands.h"

#include "app/mainwindow/TForm1.h"
#include "engine/Table.h"
#include "layout/design/CardDesignHost.h"
#include "layout/design/TCardLayout.h"
#include "layout/designer/TCustomlayout.h"
#include "store/CardStore.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"

#include <QFrame>
#include <QLabel>

namespace vellora {

namespace {

// The main window as the dialog sees it.
class MainWindowDesignHost : public QObject, public CardDesignHost {
public:
    explicit MainWindowDesignHost(TForm1 &main) : QObject(&main), m_main(main) {}

    QString appFolder() const override { return m_main.appFolder(); }
    Settings &settings() override { return m_main.settings(); }
    QSize frontPanelSize() const override { return m_main.side(0).panel->size(); }
    QStringList cardFieldNames() const override
    {
        Table *table = m_main.table();
        return table && table->isOpen() ? table->fieldNames() : QStringList();
    }

    void showPrinterMarker(bool colour) override
    {
        if (auto *marker = m_main.findChild<QLabel *>(QStringLiteral("Image5")))
            marker->setVisible(colour);
        if (auto *marker = m_main.findChild<QLabel *>(QStringLiteral("Image6")))
            marker->setVisible(!colour);
    }
    void applyLayout(int side, int layoutType) override
    {
        syncDoubleSided();
        m_main.ApplyLayout(side, layoutType, true);
    }
    void showBackground(int side, const QString &path) override { m_main.ShowBackground(side, path); }
    void arrangeCardPanels() override
    {
        syncDoubleSided();
        m_main.ArrangeCardPanels();
    }
    void hideBackPanel() override
    {
        syncDoubleSided();
        m_main.side(1).panel->hide();
        // The note label goes back under the front alone.
        const QFrame *front = m_main.side(0).panel;
        QLabel *note = m_main.cardCaption();
        note->setGeometry(front->x(), front->y() + front->height() + 4, front->width(), 40);
    }
    void copyPhotoToBack() override
    {
        m_main.side(1).Image1->setPicture(m_main.side(0).Image1->picture());
        m_main.side(1).Image1->setProportional(m_main.side(0).Image1->proportional());
    }
    void refreshCardFace() override
    {
        syncDoubleSided();
        m_main.LayoutMagPanel();
        m_main.RelayoutFieldItems();
        Table *table = m_main.table();
        if (table && table->isOpen()) {
            // What was typed into the card face stays.
            if (DataSource *source = m_main.dataSource())
                source->storePendingEdits();
            table->refresh();
        }
        if (CardStore *store = m_main.store())
            store->refreshCardPhotos();
    }

private:
    // The photos of the back are loaded only while it is printed.
    void syncDoubleSided()
    {
        if (CardStore *store = m_main.store())
            store->cardFace().doubleSided = m_main.settings().front.DoubleSided == 1;
    }

    TForm1 &m_main;
};

}  // namespace

QPointer<TCardLayout> InstallCardDesignCommands(TForm1 &main)
{
    auto *host = new MainWindowDesignHost(main);
    auto *dialog = new TCardLayout(*host);
    // The dialog goes with its host.
    QObject::connect(host, &QObject::destroyed, dialog, [dialog] { delete dialog; });
    // "Custom Layout": the layout designer for the side shown, its colour
    // mark following the dialog's; after OK the side's file holds the new
    // layout and the designer's mark comes back.
    dialog->setDesignerRunner([](QWidget *parent, int side, bool colourPrinter) -> std::optional<bool> {
        TCustomlayout designer(side == 1 ? CardSide::Back : CardSide::Front, parent);
        designer.setColorPrinter(colourPrinter);
        if (designer.exec() != QDialog::Accepted)
            return std::nullopt;
        return designer.colorPrinter();
    });
    QPointer<TCardLayout> shown(dialog);
    main.setCardDesignWindow([shown] {
        if (shown)
            shown->ShowDialog();
    });
    return shown;
}

}  // namespace vellora
