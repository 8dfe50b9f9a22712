#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/SettingsStore.h"

namespace detonix {

// Think intervals offered for the players, fastest first: "Very Fast", "Fast", "Normal",
// "Slow", "Very Slow". The settings dialog lists them by position.
constexpr std::array<int32_t, 5> PlayerSpeeds = {100, 120, 150, 200, 300};
constexpr std::array<std::string_view, 5> PlayerSpeedNames = {"Very Fast", "Fast", "Normal", "Slow", "Very Slow"};
constexpr int DefaultSpeedIndex = 2;
constexpr int32_t DefaultPlayerSpeed = PlayerSpeeds[DefaultSpeedIndex];

// The four characters; a character's first picture in the player image list is its number
// times ImagesPerCharacter.
constexpr std::array<std::string_view, 4> CharacterNames = {"Quorin", "Tavvy", "Murvex", "Olandrix"};
constexpr int32_t ImagesPerCharacter = 6;

struct TMazeSettings;
// A maze setting's default, from its row (defined below SettingRows).
constexpr double MazeDefault(double TMazeSettings::* field);
constexpr int32_t MazeDefault(int32_t TMazeSettings::* field);
constexpr bool MazeDefault(bool TMazeSettings::* field);

// The settings the maze generator reads: the rows marked Maze. TSettings holds them too, so a maze
// setting is a field here and a row.
struct TMazeSettings {
  // Fraction of all cells that stay fixed blocks.
  double PerBlocksLeft = MazeDefault(&TMazeSettings::PerBlocksLeft);
  // Fraction of the opened cells aimed at for destructible blocks.
  double PerOfEBlocks = MazeDefault(&TMazeSettings::PerOfEBlocks);
  // Percent chance that a destructible block hides a power-up.
  int32_t PerOfPUps = MazeDefault(&TMazeSettings::PerOfPUps);
  friend bool operator==(const TMazeSettings&, const TMazeSettings&) = default;
};

// The persistent settings, one field for each of SettingRows. A default-made one holds the
// defaults of SettingRows.
struct TSettings : TMazeSettings {
  TSettings();

  int32_t P1ImageIndex = 0;  // first picture of player 1's character
  int32_t P2ImageIndex = 0;
  int32_t PlayerSpeed = 0;   // ms between two decisions of a player
  bool ForceMaze = false;    // start a new maze every ForceInterval minutes
  int32_t ForceInterval = 0;
  bool Sounds = false;
  double IdleMinutes = 0;    // the desktop's idle before detonix-idle starts the saver
  friend bool operator==(const TSettings&, const TSettings&) = default;
};

// A setting's field, and with it how the store keeps it: a double as 8 bytes, an integer as a
// 32-bit integer, a Boolean as the integer 1 or 0 (any other than 0 reads as true).
using TSettingField = std::variant<double TSettings::*, int32_t TSettings::*, bool TSettings::*>;

// Values with names of their own: shown beside the number, and taken by name on the command line.
enum class TValueNames : uint8_t { vnNone, vnCharacters, vnSpeeds };

struct TRange {
  double Low = 0;
  double High = 0;
  constexpr bool Contains(double v) const { return v >= Low && v <= High; }
};

// The control xscreensaver's settings window has for a setting; detonix.xml is made from them.
enum class TXsControlKind : uint8_t {
  xcNone,      // none: under xscreensaver the setting comes from the store
  xcMenu,      // one item for each named value (the characters, the speeds), the default first
  xcCheckBox,  // a Boolean, passing its option or its off option
  xcSpinBox,   // a number, offered as the settings windows offer it
};

// A setting's control in xscreensaver's settings window. Its id there is the option without dashes.
struct TXsControl {
  TXsControlKind Kind = TXsControlKind::xcNone;
  std::string_view Label{};    // a menu's items read "Label: name"
  std::string_view ItemIds{};  // a menu's items' ids: this, then the name in lower case without blanks
  uint8_t Column = 0;          // the window's left (0) or right (1) column
  int8_t Order = 0;            // lower first in its column, else as the rows go
};

// One setting: how it is stored, its default, and its option for one run.
struct TSettingRow {
  std::string_view Name{};  // the registry value and the file's key: stored settings depend on it
  TSettingField Field{};
  double Default = 0;
  TValueNames Names = TValueNames::vnNone;
  // Read by the maze generator (a field of TMazeSettings): `detonix-headless maze` takes it too.
  bool Maze = false;
  // Its control in xscreensaver's settings window; a run under xscreensaver takes a setting without
  // one from the store.
  TXsControl Xscreensaver{};
  // Read by the idle watcher, detonix-idle, and by no game: nothing the saver hosts show or play.
  bool WatcherOnly = false;
  constexpr bool FileOnlyUnderXscreensaver() const { return Xscreensaver.Kind == TXsControlKind::xcNone; }
  // The option, written with one dash (the headless tool doubles it), and its argument as the
  // usage text shows it; the alias is an older spelling still taken.
  std::string_view Option{};
  std::string_view Arg{};
  std::string_view Alias{};
  TRange Range{};                   // what the option accepts, and what a stored value may be
  std::string_view Unit{};          // what a bad value is told to be, before the range
  std::optional<TRange> Offered{};  // where the settings windows offer less than the option takes
  // Booleans: the option that clears it, and a value the setting option may be followed by.
  std::string_view OffOption{};
  int32_t TSettings::* OptionalValue = nullptr;
  // For the usage text, without the default (that is added); none: listed on the line of the row before.
  std::string_view Help{};
  std::string_view OffHelp{};  // none: the off option shares the line
};

// In the order --show-settings lists them.
// The densities stop where small boards stop playing: with more than half of the cells fixed, or
// more than half of the open ones destructible (every other cell the walk opens), the open cells
// of a 15 by 11 preview fall apart into pockets where two players corner each other and wait.
inline constexpr std::array SettingRows = {
    TSettingRow{.Name = "PerBlocksLeft", .Field = &TSettings::PerBlocksLeft, .Default = 0.4, .Maze = true,
                .Option = "-fixed-blocks", .Arg = "FRACTION", .Alias = "-blocks-left", .Range = {0, 0.5},
                .Unit = "a fraction", .Help = "fraction of all cells that stay fixed blocks"},
    TSettingRow{.Name = "PerOfEBlocks", .Field = &TSettings::PerOfEBlocks, .Default = 0.15, .Maze = true,
                .Option = "-destructible-blocks", .Arg = "FRACTION", .Alias = "-exp-blocks", .Range = {0, 0.5},
                .Unit = "a fraction", .Help = "fraction of the open cells that get destructible blocks"},
    TSettingRow{.Name = "PerOfPUps", .Field = &TSettings::PerOfPUps, .Default = 30, .Maze = true,
                .Option = "-powerups", .Arg = "PERCENT", .Range = {0, 100}, .Unit = "percent",
                .Help = "chance that a destructible block hides a power-up"},
    TSettingRow{.Name = "P1ImageIndex", .Field = &TSettings::P1ImageIndex, .Default = 0,
                .Names = TValueNames::vnCharacters,
                .Xscreensaver = {.Kind = TXsControlKind::xcMenu, .Label = "Player 1", .ItemIds = "p1"},
                .Option = "-player1", .Arg = "NAME", .Help = "the players' characters"},
    TSettingRow{.Name = "P2ImageIndex", .Field = &TSettings::P2ImageIndex, .Default = ImagesPerCharacter,
                .Names = TValueNames::vnCharacters,
                .Xscreensaver = {.Kind = TXsControlKind::xcMenu, .Label = "Player 2", .ItemIds = "p2"},
                .Option = "-player2", .Arg = "NAME"},
    TSettingRow{.Name = "PlayerSpeed", .Field = &TSettings::PlayerSpeed, .Default = DefaultPlayerSpeed,
                .Names = TValueNames::vnSpeeds,
                .Xscreensaver = {.Kind = TXsControlKind::xcMenu, .Label = "Player Speed", .Order = -1},
                .Option = "-speed", .Arg = "MS", .Range = {1, 60000}, .Unit = "milliseconds",
                .Help = "milliseconds between two steps of a player"},
    TSettingRow{.Name = "ForceMaze", .Field = &TSettings::ForceMaze, .Default = false,
                .Xscreensaver = {.Kind = TXsControlKind::xcCheckBox,
                                 .Label = "Force a new maze after a specified time interval", .Column = 1},
                .Option = "-force-maze", .Arg = "[MINUTES]", .OffOption = "-no-force-maze",
                .OptionalValue = &TSettings::ForceInterval,
                .Help = "start a new maze every MINUTES minutes",
                .OffHelp = "games end only when a player has lost its lives"},
    // Up to a day, as the headless tool allows; the settings windows offer up to an hour.
    TSettingRow{.Name = "ForceInterval", .Field = &TSettings::ForceInterval, .Default = 5,
                .Xscreensaver = {.Kind = TXsControlKind::xcSpinBox, .Label = "Minutes", .Column = 1},
                .Option = "-force-interval", .Arg = "MINUTES", .Range = {0, 1440}, .Unit = "minutes",
                .Offered = TRange{0, 60}, .Help = "minutes until a forced new maze; 0 never forces"},
    TSettingRow{.Name = "Sounds", .Field = &TSettings::Sounds, .Default = false,
                .Xscreensaver = {.Kind = TXsControlKind::xcCheckBox, .Label = "Sound effects", .Column = 1},
                .Option = "-sound", .Alias = "-sounds", .OffOption = "-no-sound", .Help = "explosion sound effects"},
    // Fractions of a minute too (3 seconds at the least), so that a test need not wait minutes.
    TSettingRow{.Name = "IdleMinutes", .Field = &TSettings::IdleMinutes, .Default = 10, .WatcherOnly = true,
                .Option = "-idle-minutes", .Arg = "MINUTES", .Range = {0.05, 1440}, .Unit = "minutes",
                .Help = "minutes of the desktop's idle before detonix-idle starts the saver full screen"},
};

// The row of FIELD; a field without a row does not compile where this is evaluated at compile time.
constexpr const TSettingRow& SettingRowOf(TSettingField field) {
  for (const TSettingRow& row : SettingRows)
    if (row.Field == field) return row;
  throw std::invalid_argument("a setting without a row");
}

// A setting's default in the field's own type, fixed at compile time: DefaultOf<&TSettings::PerOfPUps>.
template <class T>
struct TFieldOf;
template <class T, class C>
struct TFieldOf<T C::*> {
  using Type = T;
};
template <auto Field>
inline constexpr typename TFieldOf<decltype(Field)>::Type DefaultOf =
    static_cast<typename TFieldOf<decltype(Field)>::Type>(SettingRowOf(Field).Default);

template <class T>
constexpr T MazeRowDefault(T TSettings::* field) {
  const TSettingRow& row = SettingRowOf(field);
  if (!row.Maze) throw std::invalid_argument("a field of TMazeSettings without a maze row");
  return static_cast<T>(row.Default);
}
constexpr double MazeDefault(double TMazeSettings::* field) { return MazeRowDefault<double>(field); }
constexpr int32_t MazeDefault(int32_t TMazeSettings::* field) { return MazeRowDefault<int32_t>(field); }
constexpr bool MazeDefault(bool TMazeSettings::* field) { return MazeRowDefault<bool>(field); }

// Made at compile time: a field of TMazeSettings without a maze row, or a maze row whose field is
// not one of TMazeSettings', does not compile.
static_assert([] {
  TMazeSettings maze;
  for (const TSettingRow& row : SettingRows)
    if (row.Maze)
      std::visit([&]<class T>(T TSettings::* field) { maze.*static_cast<T TMazeSettings::*>(field) = T(); }, row.Field);
  return true;
}());

inline TSettings::TSettings() {
  for (const TSettingRow& row : SettingRows)
    std::visit([&]<class T>(T TSettings::* field) { this->*field = static_cast<T>(row.Default); }, row.Field);
}

// A stored value LoadSettings passed over for the default: one it cannot read (of another type, not
// a whole or finite number as the row needs), one outside its row's range, or a picture index that
// is not a character's first.
struct TRefusedSetting {
  const TSettingRow* Row = nullptr;
  std::string Stored;       // the number read, else as the store holds it (TSettingsKey::StoredText)
  bool Unreadable = false;  // else readable but out of range
};
// "PerBlocksLeft=0.8 is out of range (a fraction, 0 to 0.5); the default 0.4 applies",
// "PerOfPUps=0x10 cannot be read (percent, 0 to 100); the default 30 applies"
std::string RefusedText(const TRefusedSetting& refused);

// Reads the settings key; every value that is missing keeps its default, and so does one it cannot
// read, one that the option would refuse (the game might not work with it) or a picture index that is
// not a character's first; those are listed in REFUSED when given, in the order of SettingRows.
// Never throws for the store's content.
TSettings LoadSettings(TSettingsStore& store, std::vector<TRefusedSetting>* refused = nullptr);
// The same from a key already open, so the caller can tell an unreadable store from a missing one.
TSettings LoadSettings(const TSettingsKey& key, std::vector<TRefusedSetting>* refused = nullptr);

class TSettingsOverrides;

// Writes each setting the store would not read back as SETTINGS has it: a missing value, or another
// one; what it would read back stays as it was. A stored value LoadSettings passes over reads as the
// default, so it stays while SETTINGS holds the default, unless GIVEN names that setting: it may be
// an older or a newer release's, and a save must not lose what it was not asked to change. A key that
// cannot be created is passed over silently.
void SaveSettings(TSettingsStore& store, const TSettings& settings, const TSettingsOverrides* given = nullptr);

// Settings given for one run; each one given wins over the store.
class TSettingsOverrides {
 public:
  // FIELD is TSettings' own or one of TMazeSettings'.
  template <class T, class C>
  void Set(T C::* field, T value) {
    FValues.*field = value;
    FGiven[Index(field)] = true;
  }
  template <class T, class C>
  std::optional<T> Get(T C::* field) const {
    return FGiven[Index(field)] ? std::optional<T>(FValues.*field) : std::nullopt;
  }
  void ApplyTo(TSettings& settings) const;
  bool Empty() const;

 private:
  static size_t Index(TSettingField field) { return static_cast<size_t>(&SettingRowOf(field) - SettingRows.data()); }
  TSettings FValues;
  std::array<bool, SettingRows.size()> FGiven{};
};

// LoadSettings, saying once (WarnOnce) each stored value passed over for the default, unless
// OVERRIDES gives that setting anyway.
TSettings LoadSettingsWarned(TSettingsStore& store, const TSettingsOverrides& overrides);
TSettings LoadSettingsWarned(const TSettingsKey& key, const TSettingsOverrides& overrides);

// Writes "detonix: TEXT" to standard error the first time only: a run reads the settings for
// every board it makes, and says what is wrong with them once.
void WarnOnce(const std::string& text);

// The character of that name (any case), or nothing.
std::optional<int> CharacterByName(std::string_view name);

// TEXT as a value of ROW, within the row's range when BOUNDED, or a character's name where the
// row takes names, into OVERRIDES; false when it is none. Booleans take no text.
bool SetFromText(const TSettingRow& row, const std::string& text, TSettingsOverrides& overrides, bool bounded = true);

// The shortest text that reads back to the very same double: "0.4", "60000".
std::string NumberText(double value);

// What a value of ROW must be, for the message on a bad one: "minutes, 0 to 1440".
std::string ExpectedText(const TSettingRow& row);

}  // namespace detonix
