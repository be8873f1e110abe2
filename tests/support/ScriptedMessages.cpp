#include "support/ScriptedMessages.h"

namespace vellora::test {

ScriptedMessages::ScriptedMessages(QList<int> answers, int fallback)
    : m_answers(std::move(answers)), m_fallback(fallback)
{
    SetMessageAnswerer([this](const ShownMessage &message) {
        m_shown.append(message);
        if (m_answers.isEmpty()) {
            ++m_unexpected;
            return m_fallback;
        }
        return m_answers.takeFirst();
    });
}

ScriptedMessages::~ScriptedMessages() { SetMessageAnswerer({}); }

}  // namespace vellora::test
