#pragma once
// The Edit Text dialog: a multi-line box for a free text of a card face, OK
// (default) and Cancel. The main window and the layout designer both use it.
#include <QDialog>

class QFrame;
class QPlainTextEdit;
class QPushButton;

class TOKBottomDlg : public QDialog {
    Q_OBJECT
public:
    explicit TOKBottomDlg(QWidget *parent = nullptr);

    // Puts the text (CR LF or LF line breaks), font and alignment into the
    // box.
    void setItem(const QString &text, const QFont &font, Qt::Alignment alignment);
    // The box's text with LF line breaks.
    QString text() const;

    QPlainTextEdit *edit1() const { return m_edit; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

private:
    QFrame *m_bevel = nullptr;
    QPlainTextEdit *m_edit = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
