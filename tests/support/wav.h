#pragma once
#include <string>

namespace bardrill::testing {

// The bytes of a short sound that any WAV decoder reads: a tenth of a second of 16-bit mono PCM at
// 8000 Hz, written by hand so that a test does not trust the decoder it checks.
std::string TinyWav();

// Writes TinyWav() for each watched cue of `soundFolder`'s map: the map lists "ok" for the right
// answer, "ng" for the wrong answer and "no" for the refusal, and nothing else.
void WritePlayableSounds(const std::string& soundFolder);

}  // namespace bardrill::testing
