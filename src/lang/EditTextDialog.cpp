#include "lang/EditTextDialog.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTextOption>

TOKBottomDlg::TOKBottomDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("OKBottomDlg"));
    setWindowTitle(QStringLiteral("Edit Text"));
    setModal(true);
    setFixedSize(313, 214);

    m_bevel = new QFrame(this);
    m_bevel->setObjectName(QStringLiteral("Bevel1"));
    m_bevel->setFrameShape(QFrame::StyledPanel);
    m_bevel->setFrameShadow(QFrame::Sunken);
    m_bevel->setGeometry(8, 8, 297, 161);

    m_edit = new QPlainTextEdit(m_bevel);
    m_edit->setObjectName(QStringLiteral("edit1"));
    m_edit->setGeometry(8, 8, 281, 145);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OKBtn"));
    m_ok->setDefault(true);
    m_ok->setGeometry(79, 180, 75, 25);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CancelBtn"));
    m_cancel->setGeometry(159, 180, 75, 25);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TOKBottomDlg::setItem(const QString &text, const QFont &font, Qt::Alignment alignment)
{
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_edit->setFont(font);
    QTextOption option = m_edit->document()->defaultTextOption();
    option.setAlignment(alignment & Qt::AlignHorizontal_Mask);
    m_edit->document()->setDefaultTextOption(option);
    m_edit->setPlainText(plain);
    m_edit->setFocus();
}

QString TOKBottomDlg::text() const { return m_edit->toPlainText(); }
