// make_sounds: writes the two short sound effects the browser plays.
//
//   make_sounds OUTDIR   ->  OUTDIR/Click.wav      (about 40 ms click)
//                            OUTDIR/Kill-Popz.wav  (about 0.6 s thud)
//
// Output is 16-bit mono PCM at 22050 Hz. The samples are generated with a
// fixed-seed PRNG, so every build produces byte-identical files.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

// Small xorshift generator; returns values in [-1, 1].
class Noise {
 public:
  double next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483647.5 - 1.0;
  }

 private:
  std::uint32_t state_ = 0x2545F491u;
};

void put16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFFu));
  out.push_back(static_cast<char>((v >> 8) & 0xFFu));
}

void put32(std::string& out, std::uint32_t v) {
  put16(out, v & 0xFFFFu);
  put16(out, (v >> 16) & 0xFFFFu);
}

// Builds a complete RIFF/WAVE file from samples in [-1, 1].
std::string makeWav(const std::vector<double>& samples) {
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::string out;
  out.reserve(44 + dataBytes);
  out += "RIFF";
  put32(out, 36 + dataBytes);
  out += "WAVE";
  out += "fmt ";
  put32(out, 16);         // fmt chunk size
  put16(out, 1);          // PCM
  put16(out, 1);          // mono
  put32(out, kRate);      // sample rate
  put32(out, kRate * 2);  // byte rate
  put16(out, 2);          // block align
  put16(out, 16);         // bits per sample
  out += "data";
  put32(out, dataBytes);
  for (double s : samples) {
    if (s > 1.0) s = 1.0;
    if (s < -1.0) s = -1.0;
    const auto v = static_cast<std::int16_t>(std::lround(s * 32767.0));
    put16(out, static_cast<std::uint16_t>(v));
  }
  return out;
}

// A crisp click: a 2 kHz burst with a little noise, decaying very fast.
std::vector<double> click() {
  const std::size_t n = kRate * 40 / 1000;
  std::vector<double> s(n);
  Noise noise;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double env = std::exp(-t * 180.0);
    s[i] = env * (0.75 * std::sin(2.0 * kPi * 2000.0 * t) + 0.2 * noise.next());
  }
  return s;
}

// A soft "boom/pop": a falling low sine plus low-passed noise.
std::vector<double> boom() {
  const std::size_t n = kRate * 600 / 1000;
  std::vector<double> s(n);
  Noise noise;
  double lp = 0.0;
  double phase = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double attack = std::min(1.0, t / 0.004);
    const double env = attack * std::exp(-t * 7.0);
    const double freq = 45.0 + 110.0 * std::exp(-t * 12.0);  // pitch drops
    phase += 2.0 * kPi * freq / kRate;
    lp += 0.08 * (noise.next() - lp);                              // one-pole low-pass
    const double pop = std::exp(-t * 60.0) * noise.next() * 0.25;  // initial crack
    s[i] = env * (0.7 * std::sin(phase) + 1.6 * lp) + pop;
  }
  // Fade out over the last 20 ms so the file does not end with a tick,
  // then scale so the loudest sample sits at 90% of full scale.
  const std::size_t fade = kRate / 50;
  double peak = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    if (i + fade > n) s[i] *= static_cast<double>(n - i) / fade;
    peak = std::max(peak, std::fabs(s[i]));
  }
  if (peak > 0.0)
    for (double& v : s) v *= 0.9 / peak;
  return s;
}

bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) return false;
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  f.close();
  return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_sounds OUTDIR\n";
    return 2;
  }
  std::string dir = argv[1];
  if (!dir.empty() && dir.back() != '/') dir += '/';

  const struct {
    const char* name;
    std::vector<double> samples;
  } sounds[] = {
      {"Click.wav", click()},
      {"Kill-Popz.wav", boom()},
  };

  for (const auto& snd : sounds) {
    const std::string path = dir + snd.name;
    if (!writeFile(path, makeWav(snd.samples))) {
      std::cerr << "make_sounds: cannot write " << path << "\n";
      return 1;
    }
  }
  return 0;
}
