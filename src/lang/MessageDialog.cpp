#include "lang/MessageDialog.h"

#include "lang/LanguageTable.h"
#include "lang/MessageForm.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <cstdlib>

namespace vellora {

// Defined with the test answerer: the scripted answer when one is set.
int AnswerScripted(const ShownMessage &message, bool *answered);

namespace {

struct DialogCaptions {
    QString titles[4];    // warning, error, information, confirmation
    QString buttons[11];  // in display order
};

DialogCaptions &captions()
{
    static DialogCaptions c;
    return c;
}

std::function<void(int)> &helpHandler()
{
    static std::function<void(int)> handler;
    return handler;
}

constexpr MsgButton kOrder[] = {MsgButton::Yes,    MsgButton::No,      MsgButton::OK,       MsgButton::Cancel,
                                MsgButton::Abort,  MsgButton::Retry,   MsgButton::Ignore,   MsgButton::All,
                                MsgButton::NoToAll, MsgButton::YesToAll, MsgButton::Help};

int orderIndex(MsgButton button)
{
    for (int i = 0; i < 11; ++i)
        if (kOrder[i] == button)
            return i;
    return 0;
}

QStyle::StandardPixmap iconOf(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Warning: return QStyle::SP_MessageBoxWarning;
    case MsgKind::Error: return QStyle::SP_MessageBoxCritical;
    case MsgKind::Information: return QStyle::SP_MessageBoxInformation;
    case MsgKind::Confirmation: return QStyle::SP_MessageBoxQuestion;
    case MsgKind::Custom: break;
    }
    return QStyle::SP_CustomBase;
}

}  // namespace

int MulDiv(int number, int numerator, int divisor)
{
    if (divisor == 0)
        return -1;
    const long long product = static_cast<long long>(number) * numerator;
    const long long d = divisor;
    long long q = product / d;
    const long long r = product % d;
    // Round halves away from zero.
    if (2 * std::llabs(r) >= std::llabs(d))
        q += ((product < 0) != (d < 0)) ? -1 : 1;
    return static_cast<int>(q);
}

MessageLayout ComputeMessageLayout(const MessageMetrics &m, bool hasIcon, int buttonCount)
{
    MessageLayout l;
    l.horzMargin = MulDiv(8, m.charWidth, 4);
    l.vertMargin = MulDiv(8, m.charHeight, 8);
    l.horzSpacing = MulDiv(10, m.charWidth, 4);
    l.vertSpacing = MulDiv(10, m.charHeight, 8);
    l.buttonWidth = MulDiv(50, m.charWidth, 4);
    l.buttonHeight = MulDiv(14, m.charHeight, 8);
    l.buttonSpacing = MulDiv(4, m.charWidth, 4);

    l.iconTextWidth = m.textWidth;
    l.iconTextHeight = m.textHeight;
    if (hasIcon) {
        l.iconTextWidth += 32 + l.horzSpacing;
        if (l.iconTextHeight < 32)
            l.iconTextHeight = 32;
    }
    l.buttonGroupWidth = buttonCount > 0 ? buttonCount * l.buttonWidth + (buttonCount - 1) * l.buttonSpacing : 0;
    l.clientWidth = qMax(l.iconTextWidth, l.buttonGroupWidth) + 2 * l.horzMargin;
    l.clientHeight = l.iconTextHeight + l.buttonHeight + l.vertSpacing + 2 * l.vertMargin;
    l.left = m.screenWidth / 2 - l.clientWidth / 2;
    l.top = m.screenHeight / 2 - l.clientHeight / 2;
    if (hasIcon)
        l.icon = QRect(l.horzMargin, l.vertMargin, 32, 32);
    l.message = QRect(l.iconTextWidth - m.textWidth + l.horzMargin, l.vertMargin, m.textWidth, m.textHeight);
    int x = (l.clientWidth - l.buttonGroupWidth) / 2;
    const int y = l.iconTextHeight + l.vertMargin + l.vertSpacing;
    for (int i = 0; i < buttonCount; ++i) {
        l.buttons.append(QRect(x, y, l.buttonWidth, l.buttonHeight));
        x += l.buttonWidth + l.buttonSpacing;
    }
    return l;
}

QList<MsgButton> ButtonsInOrder(MsgButtons buttons)
{
    QList<MsgButton> list;
    for (MsgButton b : kOrder)
        if (buttons.testFlag(b))
            list.append(b);
    return list;
}

QString ButtonName(MsgButton button)
{
    static const char *const names[] = {"Yes",   "No",  "OK",      "Cancel",   "Abort", "Retry",
                                        "Ignore", "All", "NoToAll", "YesToAll", "Help"};
    return QString::fromLatin1(names[orderIndex(button)]);
}

int ButtonResult(MsgButton button)
{
    static const int results[] = {MrYes, MrNo,  MrOk,      MrCancel,   MrAbort, MrRetry,
                                  MrIgnore, MrAll, MrNoToAll, MrYesToAll, MrNone};
    return results[orderIndex(button)];
}

MsgButton DefaultButtonOf(MsgButtons buttons)
{
    if (buttons.testFlag(MsgButton::OK))
        return MsgButton::OK;
    if (buttons.testFlag(MsgButton::Yes))
        return MsgButton::Yes;
    return MsgButton::Retry;
}

MsgButton DefaultButtonOf(MsgButtons buttons, const MessageOptions &options)
{
    if (options.defaultButton && buttons.testFlag(*options.defaultButton))
        return *options.defaultButton;
    return DefaultButtonOf(buttons);
}

QString MessageTitle(MsgKind kind, const QString &subject)
{
    const QString title = MessageTitle(kind);
    if (subject.trimmed().isEmpty())
        return title;
    return title.isEmpty() ? subject.trimmed() : title + QStringLiteral(" - ") + subject.trimmed();
}

MsgButton EscapeButtonOf(MsgButtons buttons)
{
    if (buttons.testFlag(MsgButton::Cancel))
        return MsgButton::Cancel;
    if (buttons.testFlag(MsgButton::No))
        return MsgButton::No;
    return MsgButton::OK;
}

QString MessageTitle(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Warning: return captions().titles[0];
    case MsgKind::Error: return captions().titles[1];
    case MsgKind::Information: return captions().titles[2];
    case MsgKind::Confirmation: return captions().titles[3];
    case MsgKind::Custom: break;
    }
    return QGuiApplication::applicationDisplayName();
}

QString ButtonCaption(MsgButton button) { return captions().buttons[orderIndex(button)]; }

QFont MessageFont()
{
    // The platform theme's message box font when it has one; else the
    // application's general font.
    QFont font = QApplication::font("QMessageBox");
    return font;
}

QSize AverageCharSize(const QFont &font)
{
    static const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetrics fm(font);
    const QSize size = fm.size(Qt::TextSingleLine, alphabet);
    return QSize(size.width() / 52, size.height());
}

void LoadDialogCaptions()
{
    DialogCaptions &c = captions();
    for (int i = 0; i < 4; ++i)
        c.titles[i] = Literal(31 + i);
    for (int i = 0; i < 11; ++i)
        c.buttons[i] = Literal(35 + i);
}

TMessageForm::TMessageForm(const QString &text, MsgKind kind, MsgButtons buttons, QWidget *parent,
                           const MessageOptions &options)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("MessageForm"));
    // Built fresh for one message: a language change never rewrites it.
    setProperty("translate", false);
    setFont(MessageFont());

    const QSize avg = AverageCharSize(font());
    QRect screen(0, 0, 1024, 768);
    if (const QScreen *s = QGuiApplication::primaryScreen())
        screen = s->geometry();
    const QFontMetrics fm(font());
    const QRect textRect = fm.boundingRect(QRect(0, 0, screen.width() / 2, 0),
                                           Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs, text);
    const bool hasIcon = kind != MsgKind::Custom;
    const QList<MsgButton> order = ButtonsInOrder(buttons);

    MessageMetrics metrics;
    metrics.charWidth = avg.width();
    metrics.charHeight = avg.height();
    metrics.textWidth = textRect.width();
    metrics.textHeight = textRect.height();
    metrics.screenWidth = screen.width();
    metrics.screenHeight = screen.height();
    m_layout = ComputeMessageLayout(metrics, hasIcon, static_cast<int>(order.size()));

    setWindowTitle(MessageTitle(kind, options.subject));
    m_helpContext = options.helpContext;
    setFixedSize(m_layout.clientWidth, m_layout.clientHeight);
    move(screen.left() + m_layout.left, screen.top() + m_layout.top);

    if (hasIcon) {
        auto *image = new QLabel(this);
        image->setObjectName(QStringLiteral("Image"));
        image->setGeometry(m_layout.icon);
        image->setPixmap(style()->standardIcon(iconOf(kind), nullptr, this).pixmap(32, 32));
    }
    auto *message = new QLabel(this);
    message->setObjectName(QStringLiteral("Message"));
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message->setText(text);
    message->setGeometry(m_layout.message);

    const MsgButton defaultButton = DefaultButtonOf(buttons, options);
    m_escape = EscapeButtonOf(buttons);
    for (qsizetype i = 0; i < order.size(); ++i) {
        const MsgButton which = order.at(i);
        auto *button = new QPushButton(ButtonCaption(which), this);
        button->setObjectName(ButtonName(which));
        button->setGeometry(m_layout.buttons.at(i));
        button->setAutoDefault(false);
        if (which == defaultButton) {
            button->setDefault(true);
            button->setFocus();
        }
        if (which == MsgButton::Help) {
            connect(button, &QPushButton::clicked, this, [this] {
                if (helpHandler())
                    helpHandler()(m_helpContext);
            });
        } else {
            const int result = ButtonResult(which);
            connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        }
    }
}

QPushButton *TMessageForm::button(MsgButton which) const
{
    return findChild<QPushButton *>(ButtonName(which), Qt::FindDirectChildrenOnly);
}

void TMessageForm::reject() { done(MrCancel); }

void TMessageForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // Escape answers as the cancel button of the set would; a set
        // without that button still closes, as the close box does.
        if (QPushButton *b = button(m_escape))
            b->click();
        else
            done(MrCancel);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QDialog *BuildMessageDialog(const QString &text, MsgKind kind, MsgButtons buttons, const MessageOptions &options)
{
    return new TMessageForm(text, kind, buttons, nullptr, options);
}

void SetMessageHelpHandler(std::function<void(int)> handler) { helpHandler() = std::move(handler); }

int LocalMessageDlg(const QString &text, MsgKind kind, MsgButtons buttons, int helpContext)
{
    MessageOptions options;
    options.helpContext = helpContext;
    return LocalMessageDlg(text, kind, buttons, options);
}

int LocalMessageDlg(const QString &text, MsgKind kind, MsgButtons buttons, const MessageOptions &options)
{
    bool answered = false;
    QWidget *owner = MessageOwner();
    const ShownMessage shown{text,  MessageTitle(kind, options.subject), kind, buttons,
                             false, DefaultButtonOf(buttons, options), owner};
    const int scripted = AnswerScripted(shown, &answered);
    if (answered)
        return scripted;
    auto *dialog = new TMessageForm(text, kind, buttons, nullptr, options);
    AttachToOwner(dialog, owner);
    // The owner may go away while the question is open; the box stays ours.
    QPointer<TMessageForm> guard(dialog);
    const int result = dialog->exec();
    delete guard.data();
    return result;
}

}  // namespace vellora
