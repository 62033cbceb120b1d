#include "core/app/SharedRoutines.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <ctime>

#include "core/records/Coding.h"

namespace {

int32_t KindTest(const std::string& path, bool wantDir) {
  if (path.empty()) return ENOENT;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno != 0 ? errno : ENOENT;
  return (S_ISDIR(st.st_mode) == wantDir) ? 0 : kOtherKind;
}

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
  for (std::size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
    s.replace(pos, from.size(), to);
  return s;
}

}  // namespace

int32_t DirTest(const std::string& path) { return KindTest(path, true); }
int32_t FileTest(const std::string& path) { return KindTest(path, false); }

std::string TrimAtNul(const std::string& s) {
  const auto nul = s.find('\0');
  return nul == std::string::npos ? s : s.substr(0, nul);
}

std::string Pad5(int16_t n) {
  std::string digits = std::to_string(n);
  if (n < 1) return "00000" + digits;
  if (n < 10) return "0000" + digits;
  if (n < 100) return "000" + digits;
  if (n < 1000) return "00" + digits;
  if (n < 10000) return "0" + digits;
  return digits;
}

std::string WindowsDir() { return "/"; }

std::string MakeWindowId(const LocalDateTime& now, const std::function<uint64_t()>& seedClock) {
  std::string id;
  for (int group = 0; group < 4; ++group) {
    std::mt19937_64 gen(seedClock());
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    if (group > 0) id += '-';
    for (int i = 0; i < 8; ++i) id += static_cast<char>(65 + std::nearbyint(uniform(gen) * 25.0));
  }
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, " %d/%d/%04d %d:%02d:%02d", now.month, now.day, now.year, now.hour, now.minute,
                now.second);
  return id + stamp;
}

std::string MakeWindowId() {
  return MakeWindowId(dates::NowLocal(), [] {
    return static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  });
}

std::string DecodeHidden(const std::string& encoded) {
  const std::string s = encoded.empty() ? "03032032032" : encoded;
  auto number = [&](std::size_t pos, std::size_t len) {
    int v = 0;
    for (std::size_t i = pos; i < pos + len && i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
      v = v * 10 + (s[i] - '0');
    return v;
  };
  const int count = number(0, 2);
  std::string out;
  for (int i = 1; i <= count; ++i) {
    const std::size_t pos = 3 * static_cast<std::size_t>(i) - 1;  // 1-based 3*i
    if (pos + 3 > s.size()) break;                                // a cut-off text decodes as far as it goes
    const int code = number(pos, 3);
    if (code > 0 && code < 256) out += coding::Cp1252ToUtf8(std::string(1, static_cast<char>(code)));
  }
  return coding::TrimBlanks(out);
}

bool WaitIsOver(int64_t start, int64_t now, int32_t ms) {
  if (now < start) {  // the counter wrapped since the wait began
    const int64_t elapsed = now + 4294967295LL - start;
    if (elapsed > ms) return true;
  }
  return now > start + ms;
}

void WaitMsWith(int32_t ms, const std::function<int32_t()>& tick, const std::function<void()>& pump) {
  if (ms < 1) return;
  const int64_t start = tick();
  for (;;) {
    pump();
    if (WaitIsOver(start, tick(), ms)) return;
  }
}

std::string LocalPageUrl(const std::string& path) { return "file://" + ReplaceAll(path, " ", "%20"); }

std::string MyComboTex(const std::string& url) {
  if (url.compare(0, 8, "file:///") != 0) return url;
  // The path keeps its leading "/" that the separator of "file:///" stands for.
  return ReplaceAll(url.substr(7), "%20", " ");
}
