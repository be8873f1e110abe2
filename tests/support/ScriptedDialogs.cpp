#include "support/ScriptedDialogs.h"

namespace vellora::test {

ScriptedDialogs::ScriptedDialogs()
{
    SetCommonDialogAnswerer([this](const CommonDialogRequest &request) -> std::optional<CommonDialogAnswer> {
        m_requests.append(request);
        if (m_answers.isEmpty())
            return std::nullopt;
        return m_answers.takeFirst();
    });
}

ScriptedDialogs::~ScriptedDialogs() { SetCommonDialogAnswerer({}); }

}  // namespace vellora::test
