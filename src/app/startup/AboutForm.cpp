#include "app/startup/AboutForm.h"

#include "app/startup/SplashForm.h"

#include "lang/LanguageSelection.h"

#include <QGroupBox>
#include <QPointer>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TAboutForm::TAboutForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About Vellora-ID"));
    setModal(false);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(vellora::DrawSplashPicture());
    picture->setFixedSize(TSplashForm::Width, TSplashForm::Height);

    auto *group = new QGroupBox(QStringLiteral("System Information"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    m_info = new QLabel(QStringLiteral("Vellora ID — photo identity cards for Linux."), group);
    m_info->setObjectName(QStringLiteral("Label1"));
    m_info->setAlignment(Qt::AlignCenter);
    m_info->setWordWrap(true);
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_info);

    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("OKButton"));
    m_close->setDefault(true);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(picture, 0, Qt::AlignHCenter);
    layout->addWidget(group);
    layout->addWidget(m_close, 0, Qt::AlignHCenter);
    setFixedSize(TSplashForm::Width + 24, 300);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    // A language change translates the label again; the version line follows.
    vellora::AddLanguageChangedHandler([about = QPointer<TAboutForm>(this)] {
        if (about)
            about->appendVersionLine();
    });
}

void TAboutForm::appendVersionLine()
{
    m_info->setText(m_info->text() + QStringLiteral("\r\nV") + QLatin1String(vellora::kProgramVersion));
}
