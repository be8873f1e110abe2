#include "print/batch/TPbatch.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

TPbatch::TPbatch(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Pbatch"));
    setWindowTitle(QStringLiteral("Printing Batch"));
    setFixedSize(378, 57);
    // Shown without waiting above the modal Batch Print window: modal
    // itself, or its Cancel button would take no input.
    setWindowModality(Qt::ApplicationModal);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setGeometry(8, 8, 361, 17);
    m_bar->setTextVisible(false);
    m_label = new QLabel(QStringLiteral("Printing Card"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setGeometry(8, 32, 177, 17);
    m_button = new QPushButton(QStringLiteral("Cancel"), this);
    m_button->setObjectName(QStringLiteral("Button1"));
    m_button->setGeometry(272, 32, 97, 25);
    connect(m_button, &QPushButton::clicked, this, [this] { m_cancel = true; });
}

// The window has no close box; Alt+F4 or Esc cancel the batch like the
// button instead of hiding the window under a running batch.
void TPbatch::closeEvent(QCloseEvent *event)
{
    if (event->spontaneous()) {
        m_cancel = true;
        event->ignore();
        return;
    }
    event->accept();
}

void TPbatch::reject() { m_cancel = true; }
