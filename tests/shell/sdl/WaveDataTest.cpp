#include "shell/sdl/WaveData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media/WaveResources.h"

namespace detonix::sdl {
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

TEST(ParseWave, TheExplosionIsOneSecondOfStereoSixteenBit) {
  const auto wave = ParseWave(ExplosionWave());
  ASSERT_TRUE(wave) << "the built-in explosion must parse";
  EXPECT_EQ(wave->FormatTag, 1);
  EXPECT_EQ(wave->Channels, 2);
  EXPECT_EQ(wave->SamplesPerSec, 44100u);
  EXPECT_EQ(wave->BitsPerSample, 16);
  EXPECT_EQ(wave->Samples.size(), 176400u);
  EXPECT_GE(wave->Samples.data(), ExplosionWave().data());
  EXPECT_LE(wave->Samples.data() + wave->Samples.size(), ExplosionWave().data() + ExplosionWave().size());
}

TEST(ParseWave, ChunksBeforeTheSamplesArePassedOverWithTheirPadByte) {
  const auto image = Wave(8, 8, true);
  const auto wave = ParseWave(image);
  ASSERT_TRUE(wave);
  ASSERT_EQ(wave->Samples.size(), 8u);
  EXPECT_EQ(wave->Samples[0], 0);
  EXPECT_EQ(wave->Samples[7], 7);
}

TEST(ParseWave, ADataChunkThatClaimsTooMuchIsCutToWholeFrames) {
  const auto image = Wave(10, 1000000);
  const auto wave = ParseWave(image);
  ASSERT_TRUE(wave);
  EXPECT_EQ(wave->Samples.size(), 8u) << "10 bytes hold two whole frames of 4 bytes";
  const auto huge = Wave(4, 0xFFFFFFFFu);
  ASSERT_TRUE(ParseWave(huge));
  EXPECT_EQ(ParseWave(huge)->Samples.size(), 4u);
}

TEST(ParseWave, WhatIsNoWaveGivesNothing) {
  EXPECT_FALSE(ParseWave({}));
  auto image = Wave(8, 8);
  std::vector<uint8_t> notRiff = image;
  std::memcpy(notRiff.data(), "RIFX", 4);
  EXPECT_FALSE(ParseWave(notRiff));
  // Cut inside the format chunk, and just before the data chunk.
  EXPECT_FALSE(ParseWave(std::span(image).first(20)));
  EXPECT_FALSE(ParseWave(std::span(image).first(36)));
  // A format chunk claiming more than the image holds.
  std::vector<uint8_t> badFormat = image;
  badFormat[16] = 0xFF;
  badFormat[17] = 0xFF;
  EXPECT_FALSE(ParseWave(badFormat));
  // A block alignment of 0 would divide by zero.
  std::vector<uint8_t> noAlign = image;
  noAlign[32] = 0;
  noAlign[33] = 0;
  EXPECT_FALSE(ParseWave(noAlign));
}

}  // namespace
}  // namespace detonix::sdl
