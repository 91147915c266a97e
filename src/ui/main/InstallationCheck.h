#pragma once

class TFormMain;

// A start option for checking an unpacked or installed package without a
// person at the keyboard: the window starts as usual, says where it found its
// help file and its document template, and closes as Alt+B would.
namespace InstallationCheck {

inline constexpr const char* kOption = "--check-installation";

// Prints the two files and whether they exist; 0 when both do, 1 otherwise.
int report(const TFormMain& form);

} // namespace InstallationCheck
