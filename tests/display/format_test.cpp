#include "toolkit/format.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "display/ini_file.h"
#include "display/settings.h"
#include "display/title_template.h"

namespace {

TEST(IntToText, WritesPlainDecimal) {
  struct Case {
    int32_t value;
    const char* text;
  };
  for (const Case& c : {Case{0, "0"}, Case{7, "7"}, Case{10, "10"}, Case{245, "245"},
                        Case{-5, "-5"}, Case{-10, "-10"}, Case{71582788, "71582788"},
                        Case{INT32_MAX, "2147483647"}, Case{INT32_MIN, "-2147483648"}}) {
    EXPECT_EQ(IntToText(c.value), c.text) << c.value;
  }
}

TEST(FormatText, TwoDigitSeconds) {
  struct Case {
    uint32_t value;
    const char* text;
  };
  for (const Case& c : {Case{0, "00"}, Case{5, "05"}, Case{9, "09"}, Case{10, "10"}, Case{59, "59"},
                        Case{123, "123"}}) {
    EXPECT_EQ(FormatText("%.2d", {c.value}), c.text) << c.value;
  }
}

TEST(FormatText, FillsSeveralArgumentsInOrder) {
  EXPECT_EQ(FormatText("%d:%.2d", {4, 5}), "4:05");
  EXPECT_EQ(FormatText("no arguments", {}), "no arguments");
}

// Each template as settings.ini gives it (quoted, as the settings window writes a value that
// needs it), over one track: "Song" by "Artist" with a year and a track number, no album, or the
// same file with no tags at all (`tags` false).
TEST(TitleTemplate, FillsInTheFieldsAsFoobar2000Does) {
  struct Row {
    std::string format;
    std::string text;  // empty: the strip falls back to its usual text
    bool tags = true;
    int32_t length = 245;
    // Tags that stand in for the track's own: the track and disc numbers, the composer (or
    // with no tags, the album artist).
    const char* track = "7";
    const char* disc = "";
    const char* composer = "";
    const char* albumArtist = "";
    const char* file = "C:\\Music\\v1.0/Song.mp3";
  };
  const std::string cut(1023, 'x');
  const std::vector<Row> rows = {
      {"[%tracknumber%. ]%TITLE% by [%artist%]%title%[ (%album%)][ %year%]",
       "07. Song by ArtistSong 1999"},
      {"[%artist% - ]%title%|%filename%", "Artist - Song.mp3 (caption)|Song", false},
      // A section counts a field of a section shown inside it; text alone shows none.
      {"[%artist%[ '('%album%')'] - ][[%album%] on ][no field]%title%", "Artist - Song"},
      {"[[%year%] on ]'['%title%']' '%artist%' it''s ''", "1999 on [Song] %artist% it's '"},
      {"%filename%|%caption%|%length%|%position%", "Song|Artist - Song.mp3 (caption)|4:05|1:23"},
      {"%caption%[ '['%length%']'] - %position%", "Artist - Song.mp3 (caption) [4:05] - 1:23"},
      {"%caption%[ '['%length%']'] - %position%", "Artist - Song.mp3 (caption) - 1:23", true, -1},
      // foobar2000's rules: a field without a value is "?", and false.
      {"%artist% - %album% - %title%", "Artist - ? - Song"},
      {"%length%|[%artist% - %album%]|%year%", "?||?", false, -1},
      {"[%artist% - %album%]", "Artist - ?"},
      {"%filename%", ".hidden", true, 245, "7", "", "", "", "C:\\Music\\.hidden"},
      {"%filename%", "Song.live", true, 245, "7", "", "", "", "/music/Song.live.mp3"},
      {"[%artist%'s ]%title%", "Artist's Song"},
      {"a''b", "a'b"},
      {"[%artist%'s ]%title%", "Artist - Song.mp3 (caption)", false},
      {"%track%|%TrackNumber%|%disc%|%discnumber%|%xrtist%", "12|12|2|2|?", true, 245, "12/14",
       "2/3"},
      {"%track%|%tracknumber%|%disc%", "A3|A3|?", true, 245, "A3"},
      {"%tracknumber%", "006", true, 245, "006"},
      {"%tracknumber%|%disc%", "09|9", true, 245, "9/12", "9"},
      {"%tracknumber%|%disc%", "00|0", true, 245, "0", "0"},
      {"%artist%|%album artist%|%albumartist%", "Bach|Bach|Bach", false, 245, "", "", "Bach"},
      {"%artist%|%album artist%", "Artist|Artist", true},
      {"%artist%|%album artist%", "Band|Band", false, 245, "", "", "", "Band"},
      {"%composer%", "J.S. Bach", true, 245, "", "",
       "J.S.\x7F"
       "Bach"},
      // Bad input.
      {"%title%[ %genre%] %rating%[%bitrate%]]] 100%", "Song Rock  Pop ?]] 100%"},
      {"%title% [%artist%", "Song [%artist%"},
      {"[%artist ]x", "[%artist ]x"},
      {"%title% 'x[%artist%]", "Song 'xArtist"},
      {"%title% 'x[%artist%]'", "Song x[%artist%]"},
      {"   ", ""},
      {" [%album%][%genre%] ", "", false},
      {" %genre% ", " ? ", false},
      {cut + "\xC3\xA9", cut},
      {cut.substr(1) + "\xC3\xA9", cut.substr(1) + "\xC3\xA9"},
      {cut + "\xE2\x82\xAC%title%", cut},
      {cut.substr(1) + "\xE2\x82\xAC%title%", cut.substr(1)},
      {cut.substr(2) + "\xE2\x82\xAC", cut.substr(2) + "\xE2\x82\xAC"},
      {cut.substr(2) + "\xF0\x9F\x8E\xB5", cut.substr(2)},
      {cut.substr(3) + "\xF0\x9F\x8E\xB5", cut.substr(3) + "\xF0\x9F\x8E\xB5"},
      {std::string(1100, 'y'), std::string(1024, 'y')},
  };
  TrackFields tags;
  tags[TrackField::kTitle] = "Song";
  tags[TrackField::kArtist] = "Artist";
  tags[TrackField::kYear] = "1999";
  tags[TrackField::kGenre] = "Rock\r\nPop";
  TrackFields none;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.format);
    TrackFields& fields = row.tags ? tags : none;
    fields[TrackField::kTrackNumber] = row.tags ? row.track : "";
    fields[TrackField::kDisc] = row.disc;
    fields[TrackField::kComposer] = row.composer;
    fields[TrackField::kAlbumArtist] = row.albumArtist;
    fields[TrackField::kFileName] = row.file;
    const std::string file = "[Main]\r\nText=\"" + row.format + "\"\r\n";
    const Settings settings = ReadSettings(IniFile(file));
    const Text text = FormatTitle(settings.titleFormat.View(),
                                  {fields, "Artist - Song.mp3 (caption)", row.length, 83});
    EXPECT_EQ(std::string(text.View()), row.text);
  }
}

}  // namespace
