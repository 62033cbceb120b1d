#pragma once

#include <array>
#include <cstdint>
#include <string>

// "Normal", "If Expired", "Completely" for levels 0, 1, 3; else "".
std::string RefreshModeName(int16_t mode);
std::string RefreshToolTip(int16_t mode);  // tooltip 6
// The shared table of 56 tooltips; slots 53..55 stay empty.
std::array<std::string, 56> BuildToolTipTexts(const std::string& title, int16_t refreshMode,
                                              const std::string& mailName);
