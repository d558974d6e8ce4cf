// The tape as the window logic keeps it: the row each entry leaves (the
// entry as the line shows it, the result in the format in force, the
// message of an error or a notice), the list of a tape window that follows
// it to its limit, and where the tape window stands beside the calculator.
#include <gtest/gtest.h>

#include "tests/ui/fake_controls.h"
#include "ui/logic/calculator_logic.h"
#include "ui/logic/keypad.h"
#include "ui/logic/tape_logic.h"

namespace tarvo {
namespace {

using Kind = TapeRow::Kind;

struct FakeTape : TapeControls {
  void ClearRows() override { rows.clear(); }
  void AddRow(const TapeRow& row) override { rows.push_back(TapeLine(row)); }
  void RemoveOldestRow() override { rows.erase(rows.begin()); }
  void ShowNewestRow() override { newest = rows.empty() ? "" : rows.back(); }
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  void CloseWindow() override {}
  std::vector<std::string> rows;
  std::string newest, clipboard;
};

struct Session {
  Session() { logic.StartSession(""); }
  // Entries separated by "|", each typed (as the entry line takes keys)
  // and calculated with Enter; "FIX2" chooses two decimals instead.
  void Enter(std::string_view entries) {
    while (!entries.empty()) {
      const size_t end = std::min(entries.find('|'), entries.size());
      const std::string entry(entries.substr(0, end));
      entries.remove_prefix(std::min(end + 1, entries.size()));
      if (entry == "FIX2") {
        c.answers.push_back(2);
        logic.ClickKey(Key::FixedFormat);
        continue;
      }
      for (const char ch : entry) {
        const int passed = logic.EntryKeyPress(static_cast<unsigned char>(ch));
        if (passed > 0) c.entry.insert(static_cast<size_t>(c.caret++), 1, static_cast<char>(passed));
      }
      logic.EntryKeyPress('\r');
    }
  }
  test::FakeControls c;
  CalculatorLogic logic{c};
};

TEST(TapeLogic, EachEntryLeavesWhatItShowed) {
  const struct { const char* entries; std::vector<std::string> rows; Kind last; } rows[] = {
      {"2+3", {"2+3 = 5"}, Kind::kAnswer},
      {"2*3", {"2\xB7" "3 = 6"}, Kind::kAnswer},  // the signs of the line
      {"2+3|+1", {"2+3 = 5", "5+1 = 6"}, Kind::kAnswer},  // going on from a result
      {"2+3|*", {"2+3 = 5", "5\xB7 5 = 25"}, Kind::kAnswer},  // as completed with the last answer
      {"1/0", {"1/0 = Error: Division by zero"}, Kind::kError},
      {"s2x2(x+y=1, 2x+2y=2)", {"s2x2(x+y=1, 2x+2y=2) = Not found solutions / Infinite solutions"}, Kind::kNotice},
      {"   ", {}, Kind::kAnswer},  // a blank entry only beeps
      {"  7  ", {"7 = 7"}, Kind::kAnswer},
      {"x=4", {"x=4 = 4"}, Kind::kAnswer},
      {"1/8|FIX2|1/3", {"1/8 = 0.125", "1/3 = 0.33"}, Kind::kAnswer},  // the format in force then
      {"-2.5", {"-2.5 = -2.5"}, Kind::kAnswer},
      {"2^1024", {"2^1024 = Error: Overflow"}, Kind::kError},
  };
  for (const auto& row : rows) {
    Session s;
    s.Enter(row.entries);
    std::vector<std::string> lines;
    for (const TapeRow& r : s.logic.GetTape().Rows()) lines.push_back(TapeLine(r));
    EXPECT_EQ(lines, row.rows) << row.entries;
    EXPECT_TRUE(lines.empty() || s.logic.GetTape().Rows().back().kind == row.last) << row.entries;
  }
}

// A tape window open while the tape fills: it lists the newest rows, at
// most as many as the tape keeps, the newest current; Clear empties both;
// Copy takes the chosen rows in order, once each; a row's entry goes back
// into the line, the caret after it, what was typed one Up away.
TEST(TapeLogic, TheWindowFollowsTheTape) {
  Session s;
  FakeTape window;
  TapeLogic tape(window, s.logic);
  s.Enter("1");
  tape.Fill();
  for (size_t i = 2; i <= kTapeRows + 1; ++i) {
    s.Enter(std::to_string(i));
    tape.RowAdded();
  }
  ASSERT_EQ(window.rows.size(), kTapeRows);
  EXPECT_EQ(window.rows.front() + " .. " + window.newest, "2 = 2 .. 1001 = 1001");
  tape.CopyRows({5, 3, 5, -1, 5000});
  EXPECT_EQ(window.clipboard, "5 = 5\n7 = 7");
  s.c.SetEntryText("9+");
  tape.UseRow(1);
  EXPECT_EQ(s.c.entry + "|" + std::to_string(s.c.caret) + "|" + s.logic.History().Entry(s.logic.History().Last()),
            "3|1|9+");
  tape.Clear();
  EXPECT_TRUE(window.rows.empty() && s.logic.GetTape().Rows().empty());
}

// A row is stamped with the clock's time when it was calculated, whatever
// the rows before it hold (a clock set back, a row from another machine's
// clock); what a save would write is named in words.
TEST(TapeLogic, RowsAreStampedByTheClockAndASaveIsNamed) {
  Session s;
  EXPECT_EQ(s.logic.WhatASaveWrites(), "");
  std::int64_t now = 5000;
  s.logic.SetTapeClock([&now] { return now; });
  const auto enter = [&s](const char* entry) { s.c.SetEntryText(""), s.Enter(entry); };  // each on an empty line
  enter("2+3");
  now = 4000;  // set back
  enter("x=4"), enter("y=x");
  std::vector<std::int64_t> times;
  for (const TapeRow& row : s.logic.GetTape().Rows()) times.push_back(row.time);
  EXPECT_EQ(times, std::vector<std::int64_t>({5000, 4000, 4000}));
  EXPECT_EQ(s.logic.WhatASaveWrites(), "the variables x and y, the last answer and 3 rows of the tape");
  s.logic.ClickKey(Key::Radians);
  s.logic.ClearTape();
  enter("z=1");
  EXPECT_EQ(s.logic.WhatASaveWrites(), "the variables x, y and z, the angle unit, the last answer and 1 row of the tape");
}

bool Apart(const Box& a, const Box& b) {
  return a.left >= b.left + b.width || a.left + a.width <= b.left || a.top >= b.top + b.height ||
         a.top + a.height <= b.top;
}

// Beside the calculator where the whole width fits (right first), else on
// the side with more room, narrower; else below or above it; and where
// nothing fits, at the screen's edge, over as little of it as can be.
TEST(TapeLogic, TheWindowStandsBesideTheCalculator) {
  const struct { const char* name; Box window, screen, tape; bool apart; } rows[] = {
      {"room right", {100, 100, 752, 346}, {0, 0, 1920, 1080}, {858, 100, 320, 346}, true},
      {"exactly room right", {100, 100, 752, 346}, {0, 0, 1178, 1080}, {858, 100, 320, 346}, true},
      {"exactly room left", {326, 100, 752, 346}, {0, 0, 1078, 1080}, {0, 100, 320, 346}, true},
      {"exactly the narrowest room", {0, 100, 752, 346}, {0, 0, 978, 1080}, {758, 100, 220, 346}, true},
      {"exactly the lowest room below", {0, 0, 752, 346}, {0, 0, 800, 512}, {432, 352, 320, 160}, true},
      {"above, lower than the calculator", {0, 200, 752, 346}, {0, 0, 800, 552}, {432, 0, 320, 194}, true},
      {"room left only", {1100, 100, 752, 346}, {0, 0, 1920, 1080}, {774, 100, 320, 346}, true},
      {"narrower, on the side with more room", {300, 211, 752, 346}, {0, 0, 1366, 768}, {1058, 211, 308, 346}, true},
      {"narrower, left", {320, 211, 752, 346}, {0, 0, 1366, 768}, {0, 211, 314, 346}, true},
      {"on a second screen", {2000, 50, 752, 346}, {1920, 0, 1280, 1024}, {2758, 50, 320, 346}, true},
      {"kept on the screen's height", {100, 900, 752, 346}, {0, 0, 1920, 1080}, {858, 734, 320, 346}, true},
      {"below", {0, 0, 752, 346}, {0, 0, 800, 600}, {432, 352, 320, 248}, true},
      {"above", {0, 400, 752, 346}, {0, 0, 800, 746}, {432, 48, 320, 346}, true},
      {"no room anywhere: below, over the least of it", {0, 0, 752, 346}, {0, 0, 800, 400}, {432, 240, 320, 160}, false},
      // 1600x1000 at twice the scale, the calculator where a window manager
      // centres it.
      {"scale 2, centred", {24, 77, 752, 346}, {0, 0, 800, 500}, {456, 340, 320, 160}, false},
      {"scale 2, at the top", {24, 0, 752, 346}, {0, 0, 800, 500}, {456, 340, 320, 160}, false},
      {"dragged half off the right edge", {1500, 100, 752, 346}, {0, 0, 1920, 1080}, {1174, 100, 320, 346}, true},
      {"a screen smaller than the calculator", {0, 0, 752, 346}, {0, 0, 320, 240}, {0, 80, 320, 160}, false},
      {"a screen smaller than the tape", {0, 0, 752, 346}, {0, 0, 150, 100}, {0, 0, 150, 100}, false},
  };
  for (const auto& row : rows) {
    const Box tape = PlaceTapeWindow(row.window, row.screen);
    EXPECT_EQ(tape, row.tape) << row.name << ": " << tape.left << "," << tape.top << " " << tape.width << "x" << tape.height;
    EXPECT_EQ(Apart(tape, row.window), row.apart) << row.name;
  }
}

// The tape never leaves the screen, whatever its size and scale and wherever
// the calculator stands (partly off it too), and covers the calculator only
// where no side has room for it.
TEST(TapeLogic, TheWindowNeverLeavesTheScreen) {
  const Box window{0, 0, 752, 346};
  std::vector<Box> screens;
  // Small and large screens at the scales 1, 1.5 and 2, in logical pixels;
  // a second screen beside the first.
  for (const auto& [w, h] : {std::pair{1024, 600}, {1280, 720}, {1366, 768}, {1600, 1000}, {1920, 1080}, {3840, 2160}})
    for (const double scale : {1.0, 1.5, 2.0})
      screens.push_back({0, 0, static_cast<int>(w / scale), static_cast<int>(h / scale)});
  screens.push_back({1920, 0, 1280, 1024});
  int placed = 0, overlapping = 0;
  for (const Box& screen : screens) {
    for (int x = screen.left - 300; x <= screen.left + screen.width - 400; x += 37) {
      for (int y = screen.top - 100; y <= screen.top + screen.height - 100; y += 29) {
        const Box calculator{x, y, window.width, window.height};
        const Box tape = PlaceTapeWindow(calculator, screen);
        const std::string at = std::to_string(screen.width) + "x" + std::to_string(screen.height) + " calculator at " +
                               std::to_string(x) + "," + std::to_string(y);
        ++placed;
        ASSERT_TRUE(tape.left >= screen.left && tape.top >= screen.top &&
                    tape.left + tape.width <= screen.left + screen.width &&
                    tape.top + tape.height <= screen.top + screen.height)
            << at << ": " << tape.left << "," << tape.top << " " << tape.width << "x" << tape.height;
        ASSERT_GE(tape.width, std::min(kTapeMinWidth, screen.width)) << at;
        ASSERT_GE(tape.height, std::min(kTapeMinHeight, screen.height)) << at;
        const int right = screen.left + screen.width - (x + window.width + kTapeGap), left = x - kTapeGap - screen.left;
        const int below = screen.top + screen.height - (y + window.height + kTapeGap), above = y - kTapeGap - screen.top;
        const bool room = std::max(right, left) >= kTapeMinWidth || std::max(below, above) >= kTapeMinHeight;
        if (room) {
          ASSERT_TRUE(Apart(tape, calculator)) << at;
        }
        overlapping += !Apart(tape, calculator);
      }
    }
  }
  // The sweep reaches both kinds of place.
  EXPECT_GT(placed, 1000);
  EXPECT_GT(overlapping, 0);
}

}  // namespace
}  // namespace tarvo
