#pragma once

namespace vellora {

// The front uses layout.ccl and the item names without suffix, the back
// layout_b.ccl and the names with "_b".
enum class CardSide { Front = 0, Back = 1 };

}  // namespace vellora
