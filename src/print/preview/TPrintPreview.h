#pragma once
// The print preview window: the current card's front (and back) as it will
// be printed, placed as the card panels sit on the main window, and the
// print commands. It also hosts every print job: the single-card print and
// each card of a batch (BatchMode, the window kept off-screen).
#include "print/CardRenderer.h"
#include "print/preview/PreviewSource.h"

#include <QDialog>
#include <QImage>

class QFrame;
class QLabel;

namespace vellora {
class GlyphButton;
struct PrintJobResult;
}

class TPrintPreview : public QDialog {
    Q_OBJECT
public:
    explicit TPrintPreview(QWidget *parent = nullptr);
    ~TPrintPreview() override;

    void setSource(vellora::PreviewSource source) { m_source = std::move(source); }
    const vellora::PreviewSource &source() const { return m_source; }

    // On only while batch printing drives the window: no print dialog, an
    // unsupported printer is an error, the caller places the window.
    bool BatchMode = false;

    // The preview build: composes both sides from the card panels and shows
    // them. Errors (an unreadable picture) reach the caller; the cursor is
    // restored.
    void BuildPreview();
    // Build, then modal; the result of the dialog. An error in the build
    // reaches the caller and the window is not shown.
    int ShowModalPreview();
    // Build, then show without waiting (showWindow false: build only, for
    // runs without a display).
    void ShowPreview(bool showWindow = true);

    // The print command of the buttons: the print job of the current card at
    // full or half resolution. Closes the window when the job says so.
    // Errors reach the caller; the open document is dropped.
    vellora::PrintJobResult RunPrintJob(vellora::RenderMode mode);
    // The same, without the result (for callers that only need success or
    // the error): true when the card was printed.
    bool PrintCommand(vellora::RenderMode mode);

    // The canvas-size composition of a side from the last build (null when
    // the side was not built).
    QImage previewPicture(vellora::CardSideId side) const;

    QFrame *panel(vellora::CardSideId side) const;
    QLabel *image(vellora::CardSideId side) const;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildSide(vellora::CardSideId side, const vellora::CardPrintOptions &options);
    void buttonPrint(vellora::RenderMode mode);
    void placeColumn();

    vellora::PreviewSource m_source;
    QFrame *m_panel3 = nullptr;
    QFrame *m_panel1 = nullptr;
    QLabel *m_image1 = nullptr;
    QFrame *m_panel1b = nullptr;
    QLabel *m_image1b = nullptr;
    QFrame *m_panel2 = nullptr;
    QLabel *m_image4 = nullptr;
    vellora::GlyphButton *m_printLo = nullptr;
    vellora::GlyphButton *m_printHi = nullptr;
    vellora::GlyphButton *m_setup = nullptr;
    vellora::GlyphButton *m_close = nullptr;
    QImage m_front;
    QImage m_back;
    bool m_built = false;  // built for the showing under way
};
