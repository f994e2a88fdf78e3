#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Small synthesiser for the demo installation's feedback sounds: a few enveloped tones mixed into
// 16-bit mono PCM and wrapped in a RIFF/WAVE file that any player (and the program's own) can decode.
namespace bardrill::demo {

inline constexpr int kSampleRate = 22050;

enum class Timbre {
  Bell,   // bright partials that ring out: the right-answer chimes
  Brass,  // full harmonic series that holds: fanfares
  Buzz,   // odd harmonics, square-like: the wrong-answer buzzers
};

struct Tone {
  double start = 0;     // seconds from the beginning of the sound
  double length = 0.2;  // seconds, envelope included
  double fromHz = 440;  // pitch at the start...
  double toHz = 440;    // ...gliding to this at the end
  double loudness = 1;  // relative to the other tones of the sound
  Timbre timbre = Timbre::Bell;
};

// The frequency of a MIDI note number (69 = A4 = 440 Hz).
double NoteHz(int midiNote);

// Mixes the tones into samples. Every tone starts and ends at zero amplitude, so the sound has no
// clicks, and the mix is scaled so that its loudest sample sits at about -2 dBFS.
std::vector<int16_t> Render(const std::vector<Tone>& tones);

// The bytes of a WAVE file holding the samples (PCM, 16 bit, mono, kSampleRate).
std::string WavFile(const std::vector<int16_t>& samples);

}  // namespace bardrill::demo
