#pragma once
// Answers the common dialogs (files, folder, font, colour, print, printer
// setup) from a script while it lives. A dialog the script has no answer for
// is cancelled and recorded.
#include "lang/CommonDialogs.h"

#include <QList>
#include <optional>

namespace vellora::test {

class ScriptedDialogs {
public:
    ScriptedDialogs();
    ~ScriptedDialogs();
    ScriptedDialogs(const ScriptedDialogs &) = delete;
    ScriptedDialogs &operator=(const ScriptedDialogs &) = delete;

    void answerText(const QString &text) { m_answers.append(CommonDialogAnswer{text, {}, {}}); }
    void answerFont(const QFont &font, const QColor &colour = {}) { m_answers.append(CommonDialogAnswer{{}, font, colour}); }
    void answerColour(const QColor &colour) { m_answers.append(CommonDialogAnswer{{}, {}, colour}); }
    void answerCancel() { m_answers.append(std::nullopt); }

    const QList<CommonDialogRequest> &requests() const { return m_requests; }

private:
    QList<std::optional<CommonDialogAnswer>> m_answers;
    QList<CommonDialogRequest> m_requests;
};

}  // namespace vellora::test
