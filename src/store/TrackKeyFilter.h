#pragma once
// The entry rule for magnetic-stripe track data, typed into the main
// window's track boxes and the card design dialog's static track values.
// Track 1 is alphanumeric, tracks 2 and 3 are numeric.
#include <QObject>
#include <QString>
#include <QValidator>
#include <functional>

namespace vellora {

// The character that reaches the box when `typed` is typed into a box of
// `track` (1, 2 or 3): a-z become A-Z; backspace (code 8) always passes;
// anything outside the track's set gives a null QChar (the caller drops it
// and beeps). Track 1 takes A-Z, 0-9 and " £$&*!|[\]^_,%:;<=>?'@" (the pound
// sign is U+00A3); tracks 2 and 3 take ":;<=>|?0123456789". Any other track
// number accepts nothing but backspace.
QChar TrackKeyFilter(int track, QChar typed);

// The bell a refused character sounds (QApplication::beep); a test may
// listen instead. An empty handler restores the bell.
void SetTrackBeepHandler(std::function<void()> handler);

// True when every character of `text`, upper-cased as above, is allowed.
bool TrackTextAllowed(int track, const QString &text);
// `text` with a-z upper-cased and every character the track refuses removed.
QString FilterTrackText(int track, const QString &text);

// Applies TrackKeyFilter to every character typed into the watched
// QLineEdit or QPlainTextEdit: refused characters do not reach the box and
// the desktop's bell sounds (QApplication::beep). Keys that type nothing
// (arrows, Delete, shortcuts with Ctrl) pass. Pasted text is filtered too:
// a line edit gets a TrackValidator, a plain text edit's paste shortcut
// inserts only the allowed characters.
class TrackKeyEventFilter : public QObject {
    Q_OBJECT
public:
    TrackKeyEventFilter(int track, QObject *parent = nullptr);
    int track() const { return m_track; }

    // Installs a filter for `track` on `box` (owned by the box).
    static TrackKeyEventFilter *install(QWidget *box, int track);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_track;
};

// Refuses an edit that brings characters outside the track's set into the
// box, upper-casing the a-z it brings, so text that reaches a line edit by
// paste or drop obeys the rule. Characters already in the box are not
// judged again, nor is a value a bound box shows from its field. The
// validator's parent is the line edit it checks.
class TrackValidator : public QValidator {
    Q_OBJECT
public:
    TrackValidator(int track, QObject *parent = nullptr);
    State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

private:
    int m_track;
    QString m_before;
};

}  // namespace vellora
