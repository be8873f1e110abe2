#include "engine/EngineError.h"

namespace vellora {

EngineError::EngineError(QString message)
    : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

} // namespace vellora
