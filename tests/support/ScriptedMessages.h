#pragma once
// Answers every message box from a script while it lives and records what
// was shown: key text, kind and buttons. An unexpected message (script
// exhausted) is answered with the fallback and counted as unexpected.
#include "lang/MessageDialog.h"

#include <QList>

namespace vellora::test {

class ScriptedMessages {
public:
    explicit ScriptedMessages(QList<int> answers = {}, int fallback = MrCancel);
    ~ScriptedMessages();
    ScriptedMessages(const ScriptedMessages &) = delete;
    ScriptedMessages &operator=(const ScriptedMessages &) = delete;

    void push(int answer) { m_answers.append(answer); }
    const QList<ShownMessage> &shown() const { return m_shown; }
    int unexpected() const { return m_unexpected; }
    void clear() { m_shown.clear(); m_unexpected = 0; }

private:
    QList<int> m_answers;
    int m_fallback;
    QList<ShownMessage> m_shown;
    int m_unexpected = 0;
};

}  // namespace vellora::test
