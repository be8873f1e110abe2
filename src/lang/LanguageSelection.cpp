#include "lang/LanguageSelection.h"

#include "lang/LanguageGraphics.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/Translation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

QWidget *topLevelNamed(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name)
            return w;
    return nullptr;
}

}  // namespace

TForm2::TForm2(const QString &appFolder, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_appFolder(appFolder)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Select Language"));
    setFixedSize(263, 111);

    m_label = new QLabel(QStringLiteral("Select your language from the \nlist of installed languages"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setGeometry(16, 6, 231, 34);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("ComboBox1"));
    m_combo->setGeometry(16, 44, 231, 24);
    // The entries are language names: the same in every language.
    vellora::SetTag(m_combo, vellora::kKeepCaptionTag);

    m_ok = new QPushButton(QStringLiteral("Ok"), this);
    m_ok->setObjectName(QStringLiteral("Button1"));
    m_ok->setGeometry(48, 78, 75, 25);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Can"), this);
    m_cancel->setObjectName(QStringLiteral("Button2"));
    m_cancel->setGeometry(140, 78, 75, 25);

    connect(m_ok, &QPushButton::clicked, this, &TForm2::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    // Each entry shows the name the language gives itself; its data is the
    // section name that Language.cfg records.
    QStringList lines;
    vellora::ReadUtf16Lines(vellora::ResolveProgramFile(appFolder, QStringLiteral("languages.ini")), &lines);
    for (const QString &section : vellora::SectionNamesOf(lines))
        m_combo->addItem(vellora::LanguageDisplayName(lines, section), section);
    m_combo->setCurrentIndex(m_combo->count() > 0 ? 0 : -1);
    QString choice;
    if (vellora::ReadLanguageChoice(appFolder, &choice)) {
        int found = -1;
        for (int i = 0; i < m_combo->count(); ++i) {
            if (m_combo->itemData(i).toString().compare(choice, Qt::CaseInsensitive) == 0) {
                found = i;
                break;
            }
        }
        m_combo->setCurrentIndex(found);
    }

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    }
}

void TForm2::showEvent(QShowEvent *event)
{
    // "Can" reads as the Find dialog's Cancel in the current language.
    QString cancel;
    if (QWidget *find = topLevelNamed(QStringLiteral("Form3"))) {
        if (auto *button = find->findChild<QAbstractButton *>(QStringLiteral("Button2")))
            cancel = button->text();
    } else {
        cancel = vellora::LangText(QStringLiteral("FORM:Form3-OWNER:Form3-CONTROL:Button2-CAPTION"));
    }
    if (!cancel.isEmpty())
        m_cancel->setText(cancel);
    QDialog::showEvent(event);
}

void TForm2::okClicked()
{
    if (m_combo->currentIndex() < 0) {
        vellora::ShowPlainError(QStringLiteral("Please choose a language from the list."));
        return;
    }
    if (!vellora::WriteLanguageChoice(m_appFolder, m_combo->currentData().toString())) {
        vellora::ShowPlainError(QStringLiteral("Cannot write Language.cfg."));
        return;
    }
    if (!m_firstStart)
        vellora::ApplyLanguageChange(m_appFolder);
    accept();
}

namespace vellora {

namespace {
QList<std::function<void()>> &changeHandlers()
{
    static QList<std::function<void()>> handlers;
    return handlers;
}
}  // namespace

void ShowPlainError(const QString &text)
{
    PlainMessage(QGuiApplication::applicationDisplayName(), text, PlainIcon::Error);
}

void RunFirstLanguageSelection(const QString &appFolder)
{
    TForm2 dialog(appFolder);
    dialog.setFirstStart(true);
    // Not a window of the running program: no language change reaches it.
    dialog.setProperty("translate", false);
    dialog.exec();
}

bool ApplyLanguageChange(const QString &appFolder)
{
    QString error;
    const bool loaded = LoadLanguageTable(appFolder, &error);
    if (!loaded)
        ShowPlainError(error);
    if (topLevelNamed(QStringLiteral("Form1"))) {
        QString graphicsError;
        if (!LoadLanguageGraphics(appFolder, &graphicsError))
            ShowPlainError(graphicsError);
    }
    TranslateApplication();
    LoadDialogCaptions();
    for (const auto &handler : changeHandlers())
        handler();
    return loaded;
}

void AddLanguageChangedHandler(std::function<void()> handler) { changeHandlers().append(std::move(handler)); }

void StartupLoadLanguage(const QString &appFolder)
{
    QString error;
    if (!LoadLanguageTable(appFolder, &error))
        ShowPlainError(error);
    LoadDialogCaptions();
}

void StartupLoadGraphics(const QString &appFolder)
{
    QString error;
    if (!LoadLanguageGraphics(appFolder, &error))
        ShowPlainError(error);
}

}  // namespace vellora
