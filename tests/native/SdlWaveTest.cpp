#include "native/SdlSoundOutput.h"

#include <gtest/gtest.h>

#include <cstring>
#include <span>
#include <vector>

#include "media/WaveResources.h"

namespace detonix::native {
namespace {

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutId(std::vector<uint8_t>& b, const char* id) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(id[i]));
}

// A wave image with a chunk of our choice before "data", whose size field may lie.
std::vector<uint8_t> Wave(uint32_t dataBytes, uint32_t claimedDataBytes, bool oddChunkFirst = false) {
  std::vector<uint8_t> b;
  PutId(b, "RIFF");
  Put32(b, 0);  // readers do not rely on it; neither do we
  PutId(b, "WAVE");
  if (oddChunkFirst) {
    PutId(b, "LIST");
    Put32(b, 3);
    b.insert(b.end(), {'a', 'b', 'c', 0});  // three bytes and the pad byte
  }
  PutId(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);
  Put16(b, 2);
  Put32(b, 44100);
  Put32(b, 176400);
  Put16(b, 4);
  Put16(b, 16);
  PutId(b, "data");
  Put32(b, claimedDataBytes);
  for (uint32_t i = 0; i < dataBytes; ++i) b.push_back(static_cast<uint8_t>(i));
  return b;
}

TEST(SdlWave, TheExplosionIsOneSecondOfStereoSixteenBit) {
  const TSdlWave wave(ExplosionWave());
  ASSERT_TRUE(wave.Loaded()) << "the built-in explosion must load: " << SDL_GetError();
  EXPECT_EQ(wave.Format().format, AUDIO_S16LSB);
  EXPECT_EQ(wave.Format().channels, 2);
  EXPECT_EQ(wave.Format().freq, 44100);
  EXPECT_EQ(wave.Samples().size(), 176400u);
  EXPECT_EQ(std::memcmp(wave.Samples().data(), ExplosionWave().data() + ExplosionWave().size() - 176400, 176400), 0)
      << "the samples are the image's last 176400 bytes";
}

TEST(SdlWave, ChunksBeforeTheSamplesArePassedOverWithTheirPadByte) {
  const auto image = Wave(8, 8, true);
  const TSdlWave wave(image);
  ASSERT_TRUE(wave.Loaded()) << SDL_GetError();
  ASSERT_EQ(wave.Samples().size(), 8u);
  EXPECT_EQ(wave.Samples()[0], 0);
  EXPECT_EQ(wave.Samples()[7], 7);
}

TEST(SdlWave, ADataChunkThatClaimsTooMuchIsCutToWholeFrames) {
  const auto image = Wave(10, 1000000);
  const TSdlWave wave(image);
  ASSERT_TRUE(wave.Loaded()) << SDL_GetError();
  EXPECT_EQ(wave.Samples().size(), 8u) << "10 bytes hold two whole frames of 4 bytes";
  const auto huge = Wave(4, 0xFFFFFFFFu);
  const TSdlWave hugeWave(huge);
  ASSERT_TRUE(hugeWave.Loaded()) << SDL_GetError();
  EXPECT_EQ(hugeWave.Samples().size(), 4u);
}

bool Loads(std::span<const uint8_t> image) { return TSdlWave(image).Loaded(); }

TEST(SdlWave, WhatIsNoWaveGivesNothing) {
  EXPECT_FALSE(Loads({}));
  auto image = Wave(8, 8);
  std::vector<uint8_t> notRiff = image;
  std::memcpy(notRiff.data(), "RIFX", 4);
  EXPECT_FALSE(Loads(notRiff));
  // Cut inside the format chunk, and just before the data chunk.
  EXPECT_FALSE(Loads(std::span(image).first(20)));
  EXPECT_FALSE(Loads(std::span(image).first(36)));
  // A format chunk claiming more than the image holds.
  std::vector<uint8_t> badFormat = image;
  badFormat[16] = 0xFF;
  badFormat[17] = 0xFF;
  EXPECT_FALSE(Loads(badFormat));
  // A block alignment of 0 would divide by zero.
  std::vector<uint8_t> noAlign = image;
  noAlign[32] = 0;
  noAlign[33] = 0;
  EXPECT_FALSE(Loads(noAlign));
}

}  // namespace
}  // namespace detonix::native
