// Small routines every window uses.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "core/app/Dates.h"

constexpr int32_t kOtherKind = 9909;  // DirTest/FileTest: exists, but as the other kind

// 0 = an existing directory; 9909 = exists but is not one; else the errno.
int32_t DirTest(const std::string& path);
// 0 = an existing non-directory; 9909 = a directory; else the errno.
int32_t FileTest(const std::string& path);

std::string TrimAtNul(const std::string& s);
std::string Pad5(int16_t n);
std::string WindowsDir();  // "/" here: the root stands in for the system folder

// Four groups of eight capitals joined by "-", then the date and time.
// The generator is seeded afresh from `seedClock` before each group.
std::string MakeWindowId(const LocalDateTime& now, const std::function<uint64_t()>& seedClock);
std::string MakeWindowId();

// Two-digit count followed by that many three-digit character codes.
std::string DecodeHidden(const std::string& encoded);

// Waits at least `ms` on a 32-bit signed millisecond tick counter that may
// wrap, calling `pump` to keep the windows alive between readings.
void WaitMsWith(int32_t ms, const std::function<int32_t()>& tick, const std::function<void()>& pump);
// True once the wait that started at `start` has lasted past `ms`.
bool WaitIsOver(int64_t start, int64_t now, int32_t ms);

// "file://" + path with blanks as %20; the path keeps its case.
std::string LocalPageUrl(const std::string& path);
// How an address is shown in the address box: a "file:///" address as its path.
std::string MyComboTex(const std::string& url);
