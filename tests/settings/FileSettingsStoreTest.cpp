#include "settings/FileSettingsStore.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cfloat>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <variant>

#include "settings/Settings.h"
#include "support/UnusualSettings.h"

namespace detonix {
namespace {

namespace fs = std::filesystem;

class FileSettingsStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "detonix-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    Dir = pattern;
    File = Dir / "detonix" / "detonix.conf";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }

  void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  int CountLines(const std::string& text, const std::string& prefix) {
    int n = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) n += line.rfind(prefix, 0) == 0;
    return n;
  }

  fs::path Dir;
  fs::path File;
};

TEST_F(FileSettingsStoreTest, MissingFileGivesTheDefaults) {
  TFileSettingsStore store(File);
  EXPECT_EQ(store.OpenForReading(), nullptr);
  EXPECT_EQ(LoadSettings(store), TSettings{});
  EXPECT_FALSE(fs::exists(File.parent_path())) << "loading must not create anything";
}

TEST_F(FileSettingsStoreTest, SaveCreatesTheFolderAndReadsBack) {
  TFileSettingsStore store(File);
  SaveSettings(store, Unusual());
  ASSERT_TRUE(fs::is_regular_file(File));
  const std::string text = ReadText(File);
  EXPECT_EQ(CountLines(text, "PlayerSpeed=" + std::to_string(Unusual().PlayerSpeed)), 1) << text;
  EXPECT_EQ(CountLines(text, "ForceMaze=1"), 1) << text;
  EXPECT_EQ(LoadSettings(store), Unusual());
  // Only the file itself is left: no temporary beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(File.parent_path()), fs::directory_iterator()), 1);
}

// A save that would push the file past the reading cap is refused with the file as it was (else it
// would read as missing from then on).
TEST_F(FileSettingsStoreTest, ASavePastTheCapLeavesTheFile) {
  const std::string near = "PlayerSpeed=300\n#" + std::string(MaxSettingsFileBytes - 30, 'x') + "\n";
  WriteText(File, near);
  TFileSettingsStore store(File);
  SaveSettings(store, Unusual());
  EXPECT_EQ(ReadText(File), near);
  EXPECT_EQ(LoadSettings(store).PlayerSpeed, 300);
}

// A write the system refuses says why: here the file size limit, which binds root too.
TEST_F(FileSettingsStoreTest, AFailedWriteSaysWhy) {
  WriteText(File, "Sounds=1\n");
  TFileSettingsStore store(File);
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const rlimit none{0, old.rlim_max};
  const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &none), 0);
  SaveSettings(store, Unusual());
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldSignal);
  EXPECT_EQ(store.Failure(), "could not write the settings file " + File.string() + ": File too large");
  EXPECT_EQ(ReadText(File), "Sounds=1\n");
}

// A lock another process keeps (here another open file) is given up after the wait, with a message.
TEST_F(FileSettingsStoreTest, AHeldLockIsGivenUp) {
  fs::create_directories(File.parent_path());
  const int other = ::open((File.string() + ".lock").c_str(), O_RDWR | O_CREAT, 0666);
  ASSERT_EQ(::flock(other, LOCK_EX), 0);
  testing::internal::CaptureStderr();
  const TSettingsFileLock lock(File, std::chrono::milliseconds(300));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(lock.Held());
  EXPECT_NE(said.find(File.string() + ".lock is locked by another process"), std::string::npos) << said;
  ::close(other);
}

// A row that shares another's name or field, or keeps its value under the wrong type, fails here.
TEST_F(FileSettingsStoreTest, EverySettingRowIsItsOwnLineAndReadsBack) {
  TFileSettingsStore store(File);
  SaveSettings(store, TSettings{});
  const std::string defaults = ReadText(File);
  ASSERT_EQ(CountLines(defaults, ""), static_cast<int>(SettingRows.size())) << defaults;
  for (const TSettingRow& row : SettingRows) {
    TSettings changed;  // one value other than its default, as the row takes it
    std::visit([&](auto field) { changed.*field = Unusual().*field; }, row.Field);
    fs::remove(File);
    SaveSettings(store, changed);
    EXPECT_EQ(LoadSettings(store), changed) << row.Name;
    std::istringstream was(defaults);
    std::istringstream now(ReadText(File));
    std::string differing;
    for (std::string a, b; std::getline(was, a) && std::getline(now, b);)
      if (a != b) differing += b + "\n";
    EXPECT_EQ(differing.substr(0, row.Name.size() + 1), std::string(row.Name) + "=") << row.Name;
    EXPECT_EQ(CountLines(differing, ""), 1) << "changing " << row.Name << " changed:\n" << differing;
  }
}

TEST_F(FileSettingsStoreTest, DoublesReadBackBitForBit) {
  TFileSettingsStore store(File);
  const double samples[] = {0.1 + 0.2, 1.0 / 3.0, 0.4, 0.15, -0.0, 5e-324, DBL_MIN, DBL_MAX, -1.0000000000000002, 1e-300};
  for (const double d : samples) {
    TSettings s;
    s.PerBlocksLeft = d;
    s.PerOfEBlocks = -d;
    SaveSettings(store, s);
    const auto back = store.OpenForReading();  // the store's own reading: most are out of the settings' ranges
    EXPECT_EQ(std::bit_cast<uint64_t>(*back->ReadDouble("PerBlocksLeft")), std::bit_cast<uint64_t>(d)) << d;
    EXPECT_EQ(std::bit_cast<uint64_t>(*back->ReadDouble("PerOfEBlocks")), std::bit_cast<uint64_t>(-d)) << d;
  }
}

TEST_F(FileSettingsStoreTest, MalformedLinesCountAsMissing) {
  WriteText(File,
            "PerBlocksLeft=abc\n"
            "PerOfEBlocks=0.25\n"
            "PerOfPUps=12x\n"
            "ForceInterval\n"
            "  PlayerSpeed =  175  \r\n"
            "P1ImageIndex=99999999999\n"
            "P2ImageIndex=1.5\n"
            "Sounds=\n"
            "ForceMaze=nan\n"
            "=7\n");
  TFileSettingsStore store(File);
  const TSettings s = LoadSettings(store);
  EXPECT_EQ(s.PerBlocksLeft, 0.4);
  EXPECT_EQ(s.PerOfEBlocks, 0.25);
  EXPECT_EQ(s.PerOfPUps, 30);
  EXPECT_EQ(s.ForceInterval, 5);
  EXPECT_EQ(s.PlayerSpeed, 175);
  EXPECT_EQ(s.P1ImageIndex, 0);
  EXPECT_EQ(s.P2ImageIndex, 6);
  EXPECT_FALSE(s.Sounds);
  EXPECT_FALSE(s.ForceMaze);
}

TEST_F(FileSettingsStoreTest, ByteOrderMarkIsPassedOver) {
  WriteText(File, "\xEF\xBB\xBFPlayerSpeed=200\nSounds=1\n");
  TFileSettingsStore store(File);
  EXPECT_EQ(LoadSettings(store).PlayerSpeed, 200);
  SaveSettings(store, Unusual());
  const std::string text = ReadText(File);
  EXPECT_EQ(text.rfind("\xEF\xBB\xBFPlayerSpeed=" + std::to_string(Unusual().PlayerSpeed) + "\n", 0), 0u) << text;
  EXPECT_EQ(LoadSettings(store), Unusual());
}

TEST_F(FileSettingsStoreTest, NonFiniteDoublesCountAsMissing) {
  WriteText(File, "PerBlocksLeft=nan\nPerOfEBlocks=-inf\nPerOfPUps=40\n");
  TFileSettingsStore store(File);
  const TSettings s = LoadSettings(store);
  EXPECT_EQ(s.PerBlocksLeft, 0.4);
  EXPECT_EQ(s.PerOfEBlocks, 0.15);
  EXPECT_EQ(s.PerOfPUps, 40);
}

TEST_F(FileSettingsStoreTest, RewriteKeepsWhatItDoesNotOwn) {
  WriteText(File,
            "# my settings\n"
            "Volume=7\n"
            "playerspeed=120\n"
            "[not a value]\n"
            "\n"
            "PlayerSpeed=100\n"
            "Sounds=1\n");
  TFileSettingsStore store(File);
  EXPECT_EQ(LoadSettings(store).PlayerSpeed, 120) << "the first line of a name counts";
  SaveSettings(store, Unusual());
  const std::string text = ReadText(File);
  EXPECT_EQ(CountLines(text, "# my settings"), 1) << text;
  EXPECT_EQ(CountLines(text, "Volume=7"), 1) << text;
  EXPECT_EQ(CountLines(text, "[not a value]"), 1) << text;
  EXPECT_EQ(CountLines(text, "PlayerSpeed=") + CountLines(text, "playerspeed="), 1) << text;
  EXPECT_EQ(CountLines(text, "Sounds="), 1) << text;
  EXPECT_EQ(LoadSettings(store), Unusual());
}

// An older release's values (the densities went from 0..1 to 0..0.5) and ones no release reads
// (another notation, a NUL, CR line ends) are said once each, and a save not asked to change them
// keeps them byte for byte; the others missing are added after them.
TEST_F(FileSettingsStoreTest, ASaveKeepsOldAndUnreadableValuesAndSaysEachOnce) {
  using namespace std::string_literals;
  const std::string old = "# mine\nPerBlocksLeft=0.8\nPerOfEBlocks=0.6\nPerOfPUps=0x10\nForceInterval=1e3\n"
                          "PlayerSpeed=+200\nP1ImageIndex=6\0\nVolume=7\nSounds=nan\rForceMaze=1\r"s;
  WriteText(File, old);
  TFileSettingsStore store(File);
  TSettingsOverrides given;
  given.Set(&TSettings::Sounds, true);
  testing::internal::CaptureStderr();
  TSettings s = LoadSettingsWarned(store, given);
  LoadSettingsWarned(store, given);  // said once a process
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(s, TSettings{});
  EXPECT_EQ(CountLines(said, "detonix: the settings file's "), 6) << said;
  EXPECT_NE(said.find("PerBlocksLeft=0.8 is out of range (a fraction, 0 to 0.5); the default 0.4 applies\n"),
            std::string::npos) << said;
  EXPECT_NE(said.find("P1ImageIndex=6\\x00 cannot be read (0, 6, 12 or 18); the default 0 applies\n"),
            std::string::npos) << said;
  given.ApplyTo(s);
  SaveSettings(store, s, &given);
  SaveSettings(store, LoadSettings(store), &given);  // nothing more to change
  EXPECT_EQ(ReadText(File), "# mine\nPerBlocksLeft=0.8\nPerOfEBlocks=0.6\nPerOfPUps=0x10\nForceInterval=1e3\n"
                            "PlayerSpeed=+200\nP1ImageIndex=6\0\nVolume=7\nSounds=1\nSounds=nan\rForceMaze=1\r\n"
                            "P2ImageIndex=6\nForceMaze=0\nIdleMinutes=10\n"s);
  // A value asked for replaces its line, even the default.
  given.Set(&TSettings::PerOfPUps, 30);
  SaveSettings(store, LoadSettings(store), &given);
  EXPECT_EQ(CountLines(ReadText(File), "PerOfPUps="), 1);
  EXPECT_EQ(CountLines(ReadText(File), "PerOfPUps=30"), 1);
}

TEST_F(FileSettingsStoreTest, RewriteKeepsThePermissions) {
  WriteText(File, "Sounds=1\n");
  fs::permissions(File, fs::perms::owner_read | fs::perms::owner_write);
  TFileSettingsStore store(File);
  SaveSettings(store, Unusual());
  EXPECT_EQ(fs::status(File).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FileSettingsStoreTest, SymbolicLinkStaysALink) {
  const fs::path real = Dir / "dotfiles" / "detonix.conf";
  WriteText(real, "Volume=3\n");
  fs::create_directories(File.parent_path());
  fs::create_symlink(real, File);
  TFileSettingsStore store(File);
  SaveSettings(store, Unusual());
  EXPECT_TRUE(fs::is_symlink(File));
  EXPECT_EQ(CountLines(ReadText(real), "Volume=3"), 1);
  EXPECT_EQ(LoadSettings(store), Unusual());

  // A link whose file is not there yet (relative, into a folder not made yet) gets its file.
  const fs::path dangling = Dir / "dangling.conf";
  fs::create_symlink(fs::path("new") / "detonix.conf", dangling);
  TFileSettingsStore fresh(dangling);
  SaveSettings(fresh, Unusual());
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_TRUE(fs::is_regular_file(Dir / "new" / "detonix.conf"));
  EXPECT_EQ(LoadSettings(fresh), Unusual());
}

TEST_F(FileSettingsStoreTest, UnwritablePlacesAreLeftAlone) {
  // A plain file stands where the folder should be.
  WriteText(Dir / "detonix", "not a folder");
  TFileSettingsStore blocked(File);
  EXPECT_EQ(blocked.OpenForWriting(), nullptr);
  EXPECT_NO_THROW(SaveSettings(blocked, Unusual()));
  EXPECT_EQ(ReadText(Dir / "detonix"), "not a folder");

  // A folder stands where the file should be.
  const fs::path other = Dir / "other" / "detonix.conf";
  fs::create_directories(other);
  TFileSettingsStore folder(other);
  EXPECT_EQ(folder.OpenForReading(), nullptr);
  EXPECT_NO_THROW(SaveSettings(folder, Unusual()));
  EXPECT_TRUE(fs::is_directory(other));
  EXPECT_EQ(LoadSettings(folder), TSettings{});

  // A file no one may write, which root could replace.
  const fs::path kept = Dir / "kept" / "detonix.conf";
  WriteText(kept, "Sounds=1\n");
  fs::permissions(kept, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  TFileSettingsStore readOnly(kept);
  SaveSettings(readOnly, Unusual());
  EXPECT_EQ(ReadText(kept), "Sounds=1\n");
  EXPECT_EQ(readOnly.Failure(), "the settings file " + kept.string() + " is read-only; it is left as it was");
}

TEST_F(FileSettingsStoreTest, NothingReachesTheFileBeforeClose) {
  WriteText(File, "PlayerSpeed=200\n");
  TFileSettingsStore store(File);
  auto key = store.OpenForWriting();
  ASSERT_NE(key, nullptr);
  key->WriteInteger("PlayerSpeed", 100);
  key->WriteDouble("PerBlocksLeft", 0.5);
  // A crash here would leave the old file as it was.
  EXPECT_EQ(ReadText(File), "PlayerSpeed=200\n");
  EXPECT_TRUE(key->Close());
  EXPECT_EQ(LoadSettings(store).PlayerSpeed, 100);
  EXPECT_EQ(LoadSettings(store).PerBlocksLeft, 0.5);
}

TEST_F(FileSettingsStoreTest, ReadingKeyWritesNothing) {
  WriteText(File, "PlayerSpeed=200\n");
  TFileSettingsStore store(File);
  auto key = store.OpenForReading();
  ASSERT_NE(key, nullptr);
  key->WriteInteger("PlayerSpeed", 100);
  key->Close();
  EXPECT_EQ(ReadText(File), "PlayerSpeed=200\n");
}

TEST(SettingsFilePath, FollowsTheEnvironment) {
  EXPECT_EQ(SettingsFilePath("/x/conf", "/home/u"), fs::path("/x/conf/detonix/detonix.conf"));
  EXPECT_EQ(SettingsFilePath("", "/home/u"), fs::path("/home/u/.config/detonix/detonix.conf"));
  EXPECT_EQ(SettingsFilePath(nullptr, "/home/u"), fs::path("/home/u/.config/detonix/detonix.conf"));
  EXPECT_EQ(SettingsFilePath("relative/conf", "/home/u"), fs::path("/home/u/.config/detonix/detonix.conf"))
      << "a relative XDG_CONFIG_HOME is to be ignored";
  EXPECT_TRUE(SettingsFilePath(nullptr, nullptr).empty());
  EXPECT_TRUE(SettingsFilePath("", "").empty());
  TFileSettingsStore nowhere{fs::path()};
  EXPECT_EQ(LoadSettings(nowhere), TSettings{});
  EXPECT_NO_THROW(SaveSettings(nowhere, TSettings{}));
}

}  // namespace
}  // namespace detonix

namespace detonix {
namespace {

// A huge (here sparse) file is no settings file: it reads as missing, at once and without
// throwing, whatever its first lines say.
TEST(FileSettingsStoreSize, AHugeFileReadsAsMissing) {
  std::string pattern = (std::filesystem::temp_directory_path() / "detonix-huge-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const std::filesystem::path file = std::filesystem::path(pattern) / "detonix.conf";
  std::ofstream(file, std::ios::binary) << "PlayerSpeed=300\n";
  std::filesystem::resize_file(file, 3ull << 30);
  TFileSettingsStore store(file);
  // Said once a process, however often the running program loads the settings.
  testing::internal::CaptureStderr();
  EXPECT_EQ(store.OpenForReading(), nullptr);
  EXPECT_EQ(LoadSettings(store), TSettings{});
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "detonix: " + file.string() + " is larger than 65536 bytes; it reads as missing\n");
  std::filesystem::resize_file(file, MaxSettingsFileBytes);  // at the limit it is still read
  EXPECT_EQ(LoadSettings(store).PlayerSpeed, 300);
  std::filesystem::remove_all(pattern);
}

}  // namespace
}  // namespace detonix
