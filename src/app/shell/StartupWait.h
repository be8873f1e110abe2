#pragma once
// The pause of two to three seconds while the splash window is up. Tests and
// headless runs switch it off.
namespace vellora {
void SetStartupWaitEnabled(bool enabled);
bool StartupWaitEnabled();
// Sleeps 1 ms at a time until the whole-second tick count is at least its
// value at the start plus 3.
void StartupWait();
}  // namespace vellora
