#pragma once
// The Batch Print window: every card of the card table in a list with a
// check box, ticked by hand, all at once or by a range of list positions;
// the print buttons run the batch at full or half resolution.
#include "print/batch/BatchRun.h"

#include <QDialog>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace vellora {
class GlyphButton;
}

class Tbatchprint : public QDialog {
    Q_OBJECT
public:
    explicit Tbatchprint(QWidget *parent = nullptr);

    // The batch's host; monochrome tells the button layout (MonoPrinter);
    // mainWindow gives the frame the window is centred on.
    void setHost(vellora::BatchHost host) { m_host = std::move(host); }
    const vellora::BatchHost &host() const { return m_host; }
    void setMonochrome(std::function<bool()> monochrome) { m_monochrome = std::move(monochrome); }
    void setMainWindowGeometry(std::function<QRect()> geometry) { m_mainWindow = std::move(geometry); }

    // The list build, run on every showing.
    void BuildList();
    void PlaceButtons();
    void SelectAll(bool tick);
    void ApplyRange();
    // The print buttons: 1 full, 2 half resolution.
    vellora::BatchRunResult StartBatch(int resolution);

    QList<bool> ticks() const;
    QListWidget *list() const { return m_list; }
    QLineEdit *edit1() const { return m_edit1; }
    QLineEdit *edit2() const { return m_edit2; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    vellora::BatchHost m_host;
    std::function<bool()> m_monochrome;
    std::function<QRect()> m_mainWindow;
    QListWidget *m_list = nullptr;
    QLineEdit *m_edit1 = nullptr;
    QLineEdit *m_edit2 = nullptr;
    vellora::GlyphButton *m_setup = nullptr;
    vellora::GlyphButton *m_printLo = nullptr;
    vellora::GlyphButton *m_printHi = nullptr;
    vellora::GlyphButton *m_close = nullptr;
};
