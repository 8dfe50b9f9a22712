#include "commandline/XscreensaverXml.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <variant>
#include <vector>

#include "commandline/SettingsCommands.h"
#include "settings/NameCompare.h"
#include "settings/SettingOptions.h"
#include "settings/Settings.h"

namespace detonix::commandline {

namespace {

std::string Capitalised(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

// An element longer than this puts its values on a line of their own.
constexpr size_t LineWidth = 96;

std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

std::string Attribute(std::string_view name, std::string_view value) {
  return std::string(name) + "=\"" + Escaped(value) + "\"";
}

// Ids are lower case letters and digits: the option or the item's name without its dashes and blanks.
std::string IdText(std::string_view text) {
  std::string id;
  for (const char c : text)
    if (c != '-' && c != ' ') id += LowerAscii(c);
  return id;
}

// One element at INDENT: the attributes that say what it is, then those of its values.
std::string Element(size_t indent, std::string_view name, const std::vector<std::string>& what,
                    const std::vector<std::string>& values) {
  std::string head = std::string(indent, ' ') + "<" + std::string(name);
  for (const std::string& a : what) head += " " + a;
  std::string tail;
  for (const std::string& v : values) tail += " " + v;
  if (head.size() + tail.size() + 2 > LineWidth) tail = "\n" + std::string(indent + name.size() + 2, ' ') + tail.substr(1);
  return head + tail + "/>\n";
}

struct TItem {
  std::string_view Name;
  std::string Value;  // as the option takes it
  double Stored;      // as the settings hold it
};

// A menu's items: the row's named values, the default first, else in their order.
std::vector<TItem> Items(const TSettingRow& row) {
  std::vector<TItem> items;
  if (row.Names == TValueNames::vnSpeeds)
    for (size_t i = 0; i < PlayerSpeeds.size(); ++i)
      items.push_back({PlayerSpeedNames[i], std::to_string(PlayerSpeeds[i]), static_cast<double>(PlayerSpeeds[i])});
  else if (row.Names == TValueNames::vnCharacters)
    for (size_t i = 0; i < CharacterNames.size(); ++i)
      items.push_back({CharacterNames[i], std::string(CharacterNames[i]), static_cast<double>(i * ImagesPerCharacter)});
  else
    throw std::logic_error("the menu of " + std::string(row.Name) + " has no named values");
  std::stable_partition(items.begin(), items.end(), [&](const TItem& item) { return item.Stored == row.Default; });
  return items;
}

// The items' attributes line up in columns.
std::string Menu(const TSettingRow& row) {
  const std::string id = IdText(row.Option);
  std::vector<std::vector<std::string>> lines;
  std::vector<size_t> widths(2, 0);
  for (const TItem& item : Items(row)) {
    lines.push_back({Attribute("id", std::string(row.Xscreensaver.ItemIds) + IdText(item.Name)),
                     Attribute("_label", std::string(row.Xscreensaver.Label) + ": " + std::string(item.Name)),
                     Attribute("arg-set", Spelled(row.Option, TDashes::dTwo) + " " + item.Value)});
    for (size_t i = 0; i < widths.size(); ++i) widths[i] = std::max(widths[i], lines.back()[i].size());
  }
  std::string text = "    <select " + Attribute("id", id) + ">\n";
  for (const std::vector<std::string>& line : lines) {
    text += "      <option";
    for (size_t i = 0; i < line.size(); ++i)
      text += " " + line[i] + (i < widths.size() ? std::string(widths[i] - line[i].size(), ' ') : "");
    text += "/>\n";
  }
  return text + "    </select>\n";
}

std::string Control(const TSettingRow& row) {
  const TXsControl& control = row.Xscreensaver;
  const bool boolean = std::holds_alternative<bool TSettings::*>(row.Field);
  const std::string id = Attribute("id", IdText(row.Option));
  const std::string label = Attribute("_label", control.Label);
  const std::string option = Spelled(row.Option, TDashes::dTwo);
  switch (control.Kind) {
    case TXsControlKind::xcMenu:
      return Menu(row);
    case TXsControlKind::xcCheckBox:
      if (!boolean) break;
      return Element(4, "boolean", {id, label},
                     {Attribute("arg-set", option), Attribute("arg-unset", Spelled(row.OffOption, TDashes::dTwo))});
    case TXsControlKind::xcSpinBox: {
      if (boolean) break;
      const TRange offered = row.Offered.value_or(row.Range);
      return Element(4, "number", {id, Attribute("type", "spinbutton"), Attribute("arg", option + " %")},
                     {label, Attribute("low", NumberText(offered.Low)), Attribute("high", NumberText(offered.High)),
                      Attribute("default", NumberText(row.Default))});
    }
    case TXsControlKind::xcNone:
      return "";
  }
  throw std::logic_error("the control of " + std::string(row.Name) + " does not suit its value");
}

}  // namespace

std::string XscreensaverXml() {
  // The window's columns, each control in its place.
  std::vector<std::vector<const TSettingRow*>> columns;
  for (const TSettingRow& row : SettingRows) {
    if (row.FileOnlyUnderXscreensaver()) continue;
    if (columns.size() <= row.Xscreensaver.Column) columns.resize(row.Xscreensaver.Column + 1u);
    columns[row.Xscreensaver.Column].push_back(&row);
  }
  std::string text = R"(<?xml version="1.0" encoding="ISO-8859-1"?>

<screensaver name="detonix" _label="Detonix">

  <command arg="--root"/>

  <hgroup>
)";
  for (size_t c = 0; c < columns.size(); ++c) {
    std::vector<const TSettingRow*>& column = columns[c];
    std::stable_sort(column.begin(), column.end(),
                     [](const TSettingRow* a, const TSettingRow* b) { return a->Xscreensaver.Order < b->Xscreensaver.Order; });
    text += (c ? "\n" : "") + std::string("   <vgroup>\n");
    for (size_t i = 0; i < column.size(); ++i) {
      text += Control(*column[i]);
      // A blank line after a menu sets it apart from the next control.
      if (column[i]->Xscreensaver.Kind == TXsControlKind::xcMenu && i + 1 < column.size()) text += "\n";
    }
    text += "   </vgroup>\n";
  }
  return text + R"(  </hgroup>

  <_description>
Two computer-controlled players play a bomb-laying maze game against
each other. They walk the corridors, lay bombs that count down and blow
up along rows and columns, flee from the blasts, and pick up power-ups
hidden under the blocks they destroy. When one of them has lost its
three lives, a new maze is generated and the next game starts.

What this window shows is what plays. )" + Capitalised(FileOnlySettings()) + R"(, which it has
no control for, come from ~/.config/detonix/detonix.conf
(see "detonix --help").
  </_description>
</screensaver>
)";
}

}  // namespace detonix::commandline
