#pragma once
// The progress window of a batch: stays on top, shows "Printing card k of
// j" and offers Cancel, which the batch reads before each card.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class TPbatch : public QDialog {
    Q_OBJECT
public:
    explicit TPbatch(QWidget *parent = nullptr);

    // 1 full, 2 half resolution.
    int resolution = 1;
    bool cancelled() const { return m_cancel; }
    void clearCancel() { m_cancel = false; }
    void cancel() { m_cancel = true; }

    QProgressBar *progressBar() const { return m_bar; }
    QLabel *label() const { return m_label; }
    QPushButton *cancelButton() const { return m_button; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    QProgressBar *m_bar = nullptr;
    QLabel *m_label = nullptr;
    QPushButton *m_button = nullptr;
    bool m_cancel = false;
};
