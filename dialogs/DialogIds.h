#pragma once
// The results our dialogs end with: every dialog ends with OK or Cancel, and
// a caller tells the two apart by these numbers.

namespace twick {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

}  // namespace twick
