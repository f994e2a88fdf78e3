#include <alsa/asoundlib.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/sound_player.h"

namespace bardrill {

namespace {

constexpr sf_count_t kChunkFrames = 4096;
constexpr unsigned kLatencyMicroseconds = 100000;

// ALSA prints its own complaints to stderr; every failure is reported through the error text instead.
void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

struct SndfileCloser {
  void operator()(SNDFILE* f) const { sf_close(f); }
};
struct PcmCloser {
  void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using SoundFile = std::unique_ptr<SNDFILE, SndfileCloser>;
using Pcm = std::unique_ptr<snd_pcm_t, PcmCloser>;

bool Fail(std::string& error, const std::string& path, const std::string& what, const char* why) {
  error = path + ": " + what + " (" + why + ")";
  return false;
}

// Every format is decoded through floats, which libsndfile scales to -1..1 (integer formats by 1/32768),
// so 8- and 16-bit files come back exactly and float files keep their loudness.
void ToSamples(const float* in, short* out, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const float scaled = std::clamp(in[i] * 32768.0f, -32768.0f, 32767.0f);
    out[i] = static_cast<short>(std::lrint(scaled));
  }
}

// Writes all frames, recovering from an underrun (the device ran dry while the next chunk was decoded).
int WriteAll(snd_pcm_t* pcm, const short* samples, sf_count_t frames, int channels) {
  while (frames > 0) {
    snd_pcm_sframes_t written = snd_pcm_writei(pcm, samples, static_cast<snd_pcm_uframes_t>(frames));
    if (written < 0) {
      int recovered = snd_pcm_recover(pcm, static_cast<int>(written), 1);
      if (recovered < 0) return recovered;
      continue;
    }
    samples += written * channels;
    frames -= written;
  }
  return 0;
}

class AlsaSoundPlayer : public SoundPlayer {
 public:
  AlsaSoundPlayer() { snd_lib_error_set_handler(IgnoreAlsaMessage); }

  bool PlayToEnd(const std::string& path, std::string& error) override {
    SF_INFO info{};
    SoundFile file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) return Fail(error, path, "the sound file cannot be read", sf_strerror(nullptr));
    if (info.channels < 1 || info.samplerate < 1) {
      return Fail(error, path, "the sound file cannot be played", "no channels or no sample rate");
    }

    snd_pcm_t* raw = nullptr;
    int rc = snd_pcm_open(&raw, "default", SND_PCM_STREAM_PLAYBACK, 0);
    if (rc < 0) return Fail(error, path, "the sound device cannot be opened", snd_strerror(rc));
    Pcm pcm(raw);
    // The samples are in the host's byte order, which SND_PCM_FORMAT_S16 names.
    rc = snd_pcm_set_params(pcm.get(), SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                            static_cast<unsigned>(info.channels), static_cast<unsigned>(info.samplerate), 1,
                            kLatencyMicroseconds);
    if (rc < 0)
      return Fail(error, path, "the sound device does not take this sound's format", snd_strerror(rc));

    const size_t chunkSamples = static_cast<size_t>(kChunkFrames) * static_cast<size_t>(info.channels);
    std::vector<float> decoded(chunkSamples);
    std::vector<short> chunk(chunkSamples);
    for (;;) {
      sf_count_t frames = sf_readf_float(file.get(), decoded.data(), kChunkFrames);
      if (frames <= 0) break;
      ToSamples(decoded.data(), chunk.data(),
                static_cast<size_t>(frames) * static_cast<size_t>(info.channels));
      rc = WriteAll(pcm.get(), chunk.data(), frames, info.channels);
      if (rc < 0) return Fail(error, path, "the sound could not be played", snd_strerror(rc));
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
      return Fail(error, path, "the sound file is damaged", sf_strerror(file.get()));
    }
    rc = snd_pcm_drain(pcm.get());
    if (rc < 0) return Fail(error, path, "the sound could not be played to its end", snd_strerror(rc));
    return true;
  }
};

}  // namespace

std::unique_ptr<SoundPlayer> MakeSystemSoundPlayer() { return std::make_unique<AlsaSoundPlayer>(); }

bool CanDecodeSound(const std::string& path, std::string& error) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) {
    error = path + ": there is no such file";
    return false;
  }
  // A folder or a device in its place would make libsndfile fail obscurely, or wait for ever on a pipe.
  if (!std::filesystem::is_regular_file(status)) {
    error = path + ": this is not a file but a folder or a device";
    return false;
  }
  SF_INFO info{};
  SoundFile file(sf_open(path.c_str(), SFM_READ, &info));
  if (!file) return Fail(error, path, "this is not a sound file that can be played", sf_strerror(nullptr));
  if (info.channels < 1 || info.samplerate < 1)
    return Fail(error, path, "the sound file cannot be played", "no channels or no sample rate");
  // Decoded to the end, as a play would: a file cut short or damaged in the middle fails here.
  std::vector<float> decoded(static_cast<size_t>(kChunkFrames) * static_cast<size_t>(info.channels));
  while (sf_readf_float(file.get(), decoded.data(), kChunkFrames) > 0) {
  }
  if (sf_error(file.get()) != SF_ERR_NO_ERROR)
    return Fail(error, path, "the sound file is damaged", sf_strerror(file.get()));
  return true;
}

}  // namespace bardrill
