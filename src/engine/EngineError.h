// Errors of the table engine. Every failure of an engine operation throws an
// EngineError whose message is meant for the operator (it names the table
// file or the field concerned) and can be shown as it stands.
#pragma once

#include "engine/util/OperatorError.h"

namespace vellora {

class EngineError : public OperatorError {
public:
    using OperatorError::OperatorError;
};

// Thrown by operations a table kind does not offer (for example reverting
// a cached change on a driver without a cache). Callers that may ignore
// "not supported" catch this type; everything else is an EngineError.
class NotSupportedError : public EngineError {
public:
    using EngineError::EngineError;
};

// A post or commit refused because a key would occur twice.
class KeyViolationError : public EngineError {
public:
    using EngineError::EngineError;
};

} // namespace vellora
