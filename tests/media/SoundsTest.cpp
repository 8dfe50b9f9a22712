#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "media/CountingSoundOutput.h"
#include "media/Sounds.h"
#include "media/WaveResources.h"

namespace detonix {
namespace {

int16_t Sample(std::span<const uint8_t> wave, size_t frame, int channel) {
  const size_t at = 56 + frame * 4 + static_cast<size_t>(channel) * 2;
  return static_cast<int16_t>(wave[at] | wave[at + 1] << 8);
}

double Rms(std::span<const uint8_t> wave, size_t from, size_t to) {
  double sum = 0;
  for (size_t f = from; f < to; ++f) sum += std::pow(Sample(wave, f, 0), 2);
  return std::sqrt(sum / static_cast<double>(to - from));
}

TEST(ExplosionWaveTest, HeaderHasTheExactFormat) {
  const std::span<const uint8_t> wave = ExplosionWave();
  ASSERT_EQ(wave.size(), 176456u);
  const uint8_t header[56] = {
      'R', 'I', 'F', 'F', 0x40, 0xB1, 0x02, 0x00,  // 176,448 bytes follow
      'W', 'A', 'V', 'E',
      'f', 'm', 't', ' ', 16, 0, 0, 0,
      1, 0,                     // PCM
      2, 0,                     // stereo
      0x44, 0xAC, 0x00, 0x00,   // 44,100 frames a second
      0x10, 0xB1, 0x02, 0x00,   // 176,400 bytes a second
      4, 0,                     // block alignment
      16, 0,                    // bits per sample
      'f', 'a', 'c', 't', 4, 0, 0, 0,
      0x44, 0xAC, 0x00, 0x00,   // 44,100 frames
      'd', 'a', 't', 'a', 0x10, 0xB1, 0x02, 0x00,  // 176,400 bytes
  };
  EXPECT_EQ(std::memcmp(wave.data(), header, sizeof header), 0);
}

TEST(ExplosionWaveTest, SoundsLikeABangThatDiesAway) {
  const std::span<const uint8_t> wave = ExplosionWave();
  const double start = Rms(wave, 0, 4410);
  EXPECT_GT(start, 3000);
  EXPECT_GT(start, 4 * Rms(wave, 22050, 26460));
  // Noise, not a tone: the start crosses zero far more often than a low beep would.
  int crossings = 0;
  for (size_t f = 1; f < 4410; ++f) crossings += (Sample(wave, f, 0) < 0) != (Sample(wave, f - 1, 0) < 0) ? 1 : 0;
  EXPECT_GT(crossings, 200);
  // The two channels are not copies of each other, and the end is silence.
  int differ = 0;
  for (size_t f = 0; f < 4410; ++f) differ += Sample(wave, f, 0) != Sample(wave, f, 1) ? 1 : 0;
  EXPECT_GT(differ, 1000);
  EXPECT_EQ(Sample(wave, 44099, 0), 0);
  EXPECT_EQ(Sample(wave, 44099, 1), 0);
}

TEST(WaveResourcesTest, NamesMatchWithoutRegardToCase) {
  EXPECT_EQ(FindWaveResource("explosion").data(), ExplosionWave().data());
  EXPECT_EQ(FindWaveResource("EXPLOSION").size(), 176456u);
  EXPECT_EQ(FindWaveResource("Explosion").size(), 176456u);
  EXPECT_TRUE(FindWaveResource("explosio").empty());
  EXPECT_TRUE(FindWaveResource("explosions").empty());
  EXPECT_TRUE(FindWaveResource("").empty());
}

TEST(PlaySoundResourceTest, PlaysTheWaveThroughOneWorker) {
  auto output = std::make_shared<TCountingSoundOutput>();
  PlaySoundResource(output, "explosion");
  EXPECT_EQ(output->Workers(), 1);
  EXPECT_EQ(output->Plays(), 1);
  EXPECT_EQ(output->LastWave().size(), 176456u);
  // A second bang restarts the sound: a new play, nothing queued.
  PlaySoundResource(output, "explosion");
  EXPECT_EQ(output->Plays(), 2);
}

TEST(PlaySoundResourceTest, NoDeviceMeansNoWorker) {
  auto output = std::make_shared<TCountingSoundOutput>(0);
  PlaySoundResource(output, "explosion");
  EXPECT_EQ(output->Workers(), 0);
  EXPECT_EQ(output->Plays(), 0);
  PlaySoundResource(nullptr, "explosion");
}

TEST(PlaySoundResourceTest, UnknownResourceEndsTheWorkerSilently) {
  auto output = std::make_shared<TCountingSoundOutput>();
  PlaySoundResource(output, "whistle");
  EXPECT_EQ(output->Workers(), 1);
  EXPECT_EQ(output->Plays(), 0);
}

// Keeps the platform's own worker thread; reports plays to a flag the test keeps.
struct TSignal {
  std::mutex Lock;
  std::condition_variable Changed;
  int Plays = 0;
};

class TThreadedOutput : public TSoundOutput {
 public:
  explicit TThreadedOutput(std::shared_ptr<TSignal> signal) : FSignal(std::move(signal)) {}
  int WaveOutDeviceCount() const override { return 1; }
  void PlayWaveAsync(std::span<const uint8_t> wave) override {
    std::lock_guard<std::mutex> guard(FSignal->Lock);
    if (wave.size() == 176456u) ++FSignal->Plays;
    FSignal->Changed.notify_all();
  }

 private:
  std::shared_ptr<TSignal> FSignal;
};

TEST(PlaySoundResourceTest, WorkerThreadPlaysEvenWhenTheCallerLetsGo) {
  auto signal = std::make_shared<TSignal>();
  {
    auto output = std::make_shared<TThreadedOutput>(signal);
    PlaySoundResource(output, "EXPLOSION");
    PlaySoundResource(output, "explosion");
  }  // the workers keep the output alive
  std::unique_lock<std::mutex> lock(signal->Lock);
  // Generous: only a hung worker would miss it.
  EXPECT_TRUE(signal->Changed.wait_for(lock, std::chrono::seconds(30), [&] { return signal->Plays == 2; }));
}

}  // namespace
}  // namespace detonix
