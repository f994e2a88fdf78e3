#include "school/wav_synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace bardrill::demo {

namespace {
constexpr double kAttack = 0.006;        // long enough to avoid a click, short enough to sound struck
constexpr double kRelease = 0.020;       // every tone fades to silence before it ends
constexpr double kNyquistGuard = 10000;  // partials above this would alias at 22050 Hz
constexpr double kPeak = 0.8 * 32767;

// Relative amplitudes of the partials (index 0 = the fundamental).
std::vector<double> Partials(Timbre timbre) {
  switch (timbre) {
    case Timbre::Bell:
      return {1.0, 0.45, 0.0, 0.18, 0.0, 0.0, 0.0, 0.06};
    case Timbre::Brass:
      return {1.0, 0.7, 0.5, 0.35, 0.25, 0.15};
    case Timbre::Buzz:
      return {1.0, 0.0, 0.33, 0.0, 0.2, 0.0, 0.14, 0.0, 0.11};
  }
  return {1.0};
}

// Amplitude at time t of a tone of the given length: raised-cosine attack and release, and a body
// that rings down (bell), holds with a slight swell (brass) or holds flat (buzz).
double Envelope(Timbre timbre, double t, double length) {
  if (t < 0 || t >= length) return 0;
  double a = 1;
  if (t < kAttack) a *= 0.5 - 0.5 * std::cos(std::numbers::pi * t / kAttack);
  double tail = length - t;
  if (tail < kRelease) a *= 0.5 - 0.5 * std::cos(std::numbers::pi * tail / kRelease);
  switch (timbre) {
    case Timbre::Bell:
      return a * std::exp(-6.0 * t);
    case Timbre::Brass:
      return a * (0.85 + 0.15 * std::min(1.0, t / 0.05));
    case Timbre::Buzz:
      return a * 0.8;
  }
  return a;
}

void AddTone(const Tone& tone, std::vector<double>& mix) {
  const std::vector<double> partials = Partials(tone.timbre);
  const size_t first = static_cast<size_t>(std::lround(tone.start * kSampleRate));
  const size_t count = static_cast<size_t>(std::lround(tone.length * kSampleRate));
  double phase = 0;
  for (size_t i = 0; i < count && first + i < mix.size(); ++i) {
    double t = static_cast<double>(i) / kSampleRate;
    double progress = tone.length > 0 ? t / tone.length : 0;
    // Glides move in pitch (geometrically), which is how a falling "buzz-down" is heard.
    double hz = tone.fromHz * std::pow(tone.toHz / tone.fromHz, progress);
    double sample = 0;
    for (size_t p = 0; p < partials.size(); ++p) {
      double harmonic = static_cast<double>(p + 1);
      if (partials[p] == 0 || hz * harmonic > kNyquistGuard) continue;
      sample += partials[p] * std::sin(harmonic * phase);
    }
    mix[first + i] += tone.loudness * Envelope(tone.timbre, t, tone.length) * sample;
    phase = std::fmod(phase + 2 * std::numbers::pi * hz / kSampleRate, 2 * std::numbers::pi);
  }
}

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
}  // namespace

double NoteHz(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

std::vector<int16_t> Render(const std::vector<Tone>& tones) {
  double end = 0;
  for (const Tone& tone : tones) end = std::max(end, tone.start + tone.length);
  std::vector<double> mix(static_cast<size_t>(std::ceil(end * kSampleRate)), 0.0);
  for (const Tone& tone : tones) AddTone(tone, mix);

  double peak = 0;
  for (double v : mix) peak = std::max(peak, std::fabs(v));
  const double scale = peak > 0 ? kPeak / peak : 0;
  std::vector<int16_t> samples(mix.size());
  std::transform(mix.begin(), mix.end(), samples.begin(),
                 [scale](double v) { return static_cast<int16_t>(std::lround(v * scale)); });
  return samples;
}

std::string WavFile(const std::vector<int16_t>& samples) {
  constexpr uint32_t kChannels = 1;
  constexpr uint32_t kBitsPerSample = 16;
  constexpr uint32_t kBlockAlign = kChannels * kBitsPerSample / 8;
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size()) * kBlockAlign;

  std::string out;
  out.reserve(44 + dataBytes);
  out += "RIFF";
  PutLittleEndian(out, 36 + dataBytes, 4);
  out += "WAVE";
  out += "fmt ";
  PutLittleEndian(out, 16, 4);  // size of the PCM format chunk
  PutLittleEndian(out, 1, 2);   // PCM
  PutLittleEndian(out, kChannels, 2);
  PutLittleEndian(out, kSampleRate, 4);
  PutLittleEndian(out, kSampleRate * kBlockAlign, 4);  // bytes per second
  PutLittleEndian(out, kBlockAlign, 2);
  PutLittleEndian(out, kBitsPerSample, 2);
  out += "data";
  PutLittleEndian(out, dataBytes, 4);
  for (int16_t s : samples) PutLittleEndian(out, static_cast<uint16_t>(s), 2);
  return out;
}

}  // namespace bardrill::demo
