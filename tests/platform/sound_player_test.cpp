#include "platform/sound_player.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::string Le16(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string Le32(uint32_t v) {
  return Le16(static_cast<uint16_t>(v & 0xFFFF)) + Le16(static_cast<uint16_t>(v >> 16));
}

// A plain PCM WAV file around `data`, written by hand so that the test does not trust the decoder.
std::string Wav(int channels, int rate, int bits, const std::string& data) {
  const int blockAlign = channels * bits / 8;
  return "RIFF" + Le32(static_cast<uint32_t>(36 + data.size())) + "WAVE" + "fmt " + Le32(16) + Le16(1) +
         Le16(static_cast<uint16_t>(channels)) + Le32(static_cast<uint32_t>(rate)) +
         Le32(static_cast<uint32_t>(rate * blockAlign)) + Le16(static_cast<uint16_t>(blockAlign)) +
         Le16(static_cast<uint16_t>(bits)) + "data" + Le32(static_cast<uint32_t>(data.size())) + data;
}

// 16-bit samples of a pattern that reaches both signs and both bytes.
std::string Pattern16(int samples) {
  std::string data;
  for (int i = 0; i < samples; ++i)
    data += Le16(static_cast<uint16_t>(static_cast<int16_t>(i * 397 - 31000)));
  return data;
}

// Points ALSA's "default" device at a file: whatever the player sends ends up there, sample for sample.
class SoundPlayerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    alsaDir = new TempDir;
    capturePath = *alsaDir / "captured.raw";
    UseCaptureDevice();
  }
  static void TearDownTestSuite() {
    snd_config_update_free_global();
    delete alsaDir;
    alsaDir = nullptr;
  }
  static void UseAlsaConfig(const std::string& config) {
    const std::string path = *alsaDir / "asound.conf";
    WriteBytes(path, config);
    setenv("ALSA_CONFIG_PATH", path.c_str(), 1);
    snd_config_update_free_global();  // ALSA keeps the configuration it read first
  }

  static void UseCaptureDevice() {
    UseAlsaConfig("pcm.!default { type file slave.pcm { type null } file \"" + capturePath +
                  "\" format \"raw\" }\n");
  }

  void SetUp() override { std::filesystem::remove(capturePath); }

  bool Play(const std::string& path) { return player->PlayToEnd(path, error); }

  static TempDir* alsaDir;
  static std::string capturePath;
  TempDir dir;
  std::unique_ptr<SoundPlayer> player = MakeSystemSoundPlayer();
  std::string error;
};

TempDir* SoundPlayerTest::alsaDir = nullptr;
std::string SoundPlayerTest::capturePath;

TEST_F(SoundPlayerTest, SixteenBitSamplesArriveUnchanged) {
  const std::string mono = Pattern16(300);
  WriteBytes(dir / "mono.wav", Wav(1, 8000, 16, mono));
  ASSERT_TRUE(Play(dir / "mono.wav")) << error;
  EXPECT_EQ(ReadBytes(capturePath), mono);

  const std::string stereo = Pattern16(2 * 9000);  // longer than one chunk of the player
  WriteBytes(dir / "stereo.wav", Wav(2, 44100, 16, stereo));
  ASSERT_TRUE(Play(dir / "stereo.wav")) << error;
  EXPECT_EQ(ReadBytes(capturePath), stereo);
}

TEST_F(SoundPlayerTest, PathWithBlanksAndJapanesePlays) {
  const std::string samples = Pattern16(256);
  const std::string path = dir / "共通 データ/音 フォルダ/ピン ポン.wav";
  WriteBytes(path, Wav(1, 11025, 16, samples));
  ASSERT_TRUE(Play(path)) << error;
  EXPECT_EQ(ReadBytes(capturePath), samples);
}

// Old school sound sets are often 8-bit unsigned; they are widened to 16 bits.
TEST_F(SoundPlayerTest, EightBitSoundIsWidened) {
  std::string data, expected;
  for (int i = 0; i < 200; ++i) {
    const int byte = (i * 7) % 256;
    data += static_cast<char>(byte);
    expected += Le16(static_cast<uint16_t>(static_cast<int16_t>((byte - 128) * 256)));
  }
  WriteBytes(dir / "old.wav", Wav(1, 11025, 8, data));
  ASSERT_TRUE(Play(dir / "old.wav")) << error;
  EXPECT_EQ(ReadBytes(capturePath), expected);
}

TEST_F(SoundPlayerTest, FloatSoundIsConverted) {
  const std::string path = dir / "float.wav";
  SF_INFO info{};
  info.channels = 1;
  info.samplerate = 22050;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  std::vector<float> samples = {0.0f, 0.5f, -0.5f, 0.25f};
  ASSERT_EQ(sf_writef_float(f, samples.data(), static_cast<sf_count_t>(samples.size())), 4);
  sf_close(f);

  ASSERT_TRUE(Play(path)) << error;
  const std::string captured = ReadBytes(capturePath);
  ASSERT_EQ(captured.size(), samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    const auto lo = static_cast<uint8_t>(captured[2 * i]);
    const auto hi = static_cast<uint8_t>(captured[2 * i + 1]);
    const int value = static_cast<int16_t>(lo | (hi << 8));
    EXPECT_NEAR(value, samples[i] * 32768, 1) << "sample " << i;
  }
}

TEST_F(SoundPlayerTest, MissingOrUnreadableFileFailsNamingIt) {
  const std::string missing = dir / "ない 音.wav";
  EXPECT_FALSE(Play(missing));
  EXPECT_NE(error.find(missing), std::string::npos) << error;

  const std::string text = dir / "notes.wav";
  WriteBytes(text, "これは音ではありません。\r\n");
  error.clear();
  EXPECT_FALSE(Play(text));
  EXPECT_NE(error.find(text), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(capturePath));  // nothing was sent to the device
}

TEST_F(SoundPlayerTest, MissingDeviceFailsWithTheSystemsWords) {
  WriteBytes(dir / "ok.wav", Wav(1, 8000, 16, Pattern16(10)));
  UseAlsaConfig("# no devices at all\n");
  const bool played = Play(dir / "ok.wav");
  UseCaptureDevice();
  EXPECT_FALSE(played);
  EXPECT_NE(error.find(dir / "ok.wav"), std::string::npos) << error;
  EXPECT_NE(error.find("sound device"), std::string::npos) << error;
}

}  // namespace
}  // namespace bardrill
