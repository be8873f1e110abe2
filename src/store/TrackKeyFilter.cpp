#include "store/TrackKeyFilter.h"

#include "store/DataSource.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace vellora {

namespace {
std::function<void()> &BeepHandler()
{
    static std::function<void()> handler;
    return handler;
}
void TrackBeep()
{
    if (BeepHandler())
        BeepHandler()();
    else
        QApplication::beep();
}
}  // namespace

void SetTrackBeepHandler(std::function<void()> handler) { BeepHandler() = std::move(handler); }

namespace {

const QString &AlphaSet()
{
    static const QString set = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") +
                               QString::fromUtf8(" \u00A3$&*!|[\\]^_,%:;<=>?0123456789'@");
    return set;
}

const QString &NumericSet()
{
    static const QString set = QStringLiteral(":;<=>|?0123456789");
    return set;
}

QChar Upper(QChar c)
{
    if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
        return QChar(c.unicode() - 'a' + 'A');
    return c;
}

}  // namespace

QChar TrackKeyFilter(int track, QChar typed)
{
    const QChar c = Upper(typed);
    if (c.unicode() == 8)
        return c;
    if (track == 1 && AlphaSet().contains(c))
        return c;
    if ((track == 2 || track == 3) && NumericSet().contains(c))
        return c;
    return QChar();
}

bool TrackTextAllowed(int track, const QString &text)
{
    for (QChar c : text) {
        if (TrackKeyFilter(track, c).isNull() || c.unicode() == 8)
            return false;
    }
    return true;
}

QString FilterTrackText(int track, const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const QChar kept = TrackKeyFilter(track, c);
        if (!kept.isNull() && kept.unicode() != 8)
            out += kept;
    }
    return out;
}

TrackKeyEventFilter::TrackKeyEventFilter(int track, QObject *parent) : QObject(parent), m_track(track) {}

TrackKeyEventFilter *TrackKeyEventFilter::install(QWidget *box, int track)
{
    auto *filter = new TrackKeyEventFilter(track, box);
    box->installEventFilter(filter);
    if (auto *line = qobject_cast<QLineEdit *>(box))
        line->setValidator(new TrackValidator(track, line));
    return filter;
}

bool TrackKeyEventFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);

    if (key->matches(QKeySequence::Paste)) {
        if (auto *edit = qobject_cast<QPlainTextEdit *>(watched)) {
            if (edit->isReadOnly())
                return true;
            const QString pasted = QApplication::clipboard()->text();
            const QString kept = FilterTrackText(m_track, pasted);
            if (kept.size() != pasted.size())
                TrackBeep();
            edit->insertPlainText(kept);
            return true;
        }
        return false;  // a line edit's validator filters the paste
    }

    const QString text = key->text();
    if (text.isEmpty())
        return false;
    if (key->key() == Qt::Key_Backspace)
        return false;
    if (text.size() == 1 && (text[0].unicode() < 0x20 || text[0].unicode() == 0x7F)) {
        // Enter, Tab, Esc and Ctrl shortcuts type nothing into a line edit and
        // keep their meaning for the window; a multi-line box would take a
        // line break or tab into the track data, so there they are refused.
        const bool multiLine = qobject_cast<QPlainTextEdit *>(watched) != nullptr;
        const bool typesIntoBox = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                                  key->key() == Qt::Key_Tab;
        if (multiLine && typesIntoBox && !(key->modifiers() & Qt::ControlModifier)) {
            TrackBeep();
            return true;
        }
        return false;
    }

    QString accepted;
    for (QChar c : text) {
        const QChar kept = TrackKeyFilter(m_track, c);
        if (kept.isNull()) {
            TrackBeep();
            continue;
        }
        accepted += kept;
    }
    if (accepted == text)
        return false;  // nothing changed: let the box handle the key itself
    if (!accepted.isEmpty()) {
        // Deliver the upper-cased characters in place of the typed ones.
        QKeyEvent replaced(QEvent::KeyPress, key->key(), key->modifiers() & ~Qt::ShiftModifier, accepted,
                           key->isAutoRepeat(), static_cast<ushort>(accepted.size()));
        QCoreApplication::sendEvent(watched, &replaced);
    }
    return true;
}

TrackValidator::TrackValidator(int track, QObject *parent) : QValidator(parent), m_track(track)
{
    // The box's text before an edit: the line edit has taken the edit in
    // already when it asks the validator.
    if (auto *box = qobject_cast<QLineEdit *>(parent)) {
        m_before = box->text();
        connect(box, &QLineEdit::textChanged, this, [this](const QString &text) { m_before = text; });
    }
}

QValidator::State TrackValidator::validate(QString &input, int &) const
{
    // A value the box shows from its field is taken as it stands.
    if (const auto *bound = qobject_cast<const DBEdit *>(parent()); bound && bound->showingField())
        return Acceptable;
    // Only what the edit brings in is judged: a stored value with characters
    // outside the set (imported data) stays editable and stays as it is
    // until the operator changes those characters.
    const QString &before = m_before;
    qsizetype head = 0;
    const qsizetype shorter = qMin(before.size(), input.size());
    while (head < shorter && before[head] == input[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == input[input.size() - 1 - tail])
        ++tail;
    for (qsizetype i = head; i < input.size() - tail; ++i)
        input[i] = Upper(input[i]);
    return TrackTextAllowed(m_track, input.mid(head, input.size() - tail - head)) ? Acceptable : Invalid;
}

void TrackValidator::fixup(QString &input) const
{
    input = FilterTrackText(m_track, input);
}

}  // namespace vellora
