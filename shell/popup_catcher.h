#pragma once
namespace shell {
inline bool ScanForCaughtPopup() { return false; }
}  // namespace shell
