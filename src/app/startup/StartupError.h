#pragma once
// A failure that stops start-up in an orderly way (the card table cannot be
// opened): the message names the file; nothing has been written.
#include "engine/util/OperatorError.h"

namespace vellora {

class StartupError : public OperatorError {
public:
    using OperatorError::OperatorError;
};

}  // namespace vellora
