// The tape kept between runs: its file's text, the lines of a file that
// are no rows, the merge of two sessions' rows, and the file as a session
// and the real tarvo-cli's ":tape" meet it in a state folder: missing,
// linked, unreadable, not UTF-8, ten times too long, a FIFO, saved by two
// sessions at once.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>

#include "core/entry_encoding.h"
#include "core/tape.h"
#include "tests/base/lock_holder.h"
#include "tests/core/state_folder.h"

namespace tarvo {

void PrintTo(const TapeRow& row, std::ostream* out) { *out << row.time << " " << TapeLine(row); }

namespace {

using namespace test;
using Kind = TapeRow::Kind;
using TapeFile = StateFolder;

TapeRow Row(std::int64_t time, std::string entry, std::string shown = "1", Kind kind = Kind::kAnswer) {
  return {time, kind, std::move(entry), std::move(shown)};
}

// "a1 b3": rows with entries a and b at times 1 and 3.
std::vector<TapeRow> Rows(const std::string& spec) {
  std::vector<TapeRow> rows;
  std::istringstream in(spec);
  for (std::string word; in >> word;) rows.push_back(Row(std::stoll(word.substr(1)), word.substr(0, 1)));
  return rows;
}

std::string Spec(const std::vector<TapeRow>& rows) {
  std::string spec;
  for (const TapeRow& r : rows) spec += (spec.empty() ? "" : " ") + r.entry + std::to_string(r.time);
  return spec;
}

// Every byte an entry or a result can hold comes back from the file's
// text, whatever must be escaped there; the lines read as a person expects.
TEST(TapeText, RowsKeepEveryByteThroughTheFile) {
  std::string every;
  for (int b = 0; b < 256; ++b)
    if (b != 0xF7) every += static_cast<char>(b);  // a typed "÷" is the "/" it reads as
  const std::vector<TapeRow> rows = {
      Row(-62167219200000, "0000-01-01T00:00:00.000Z", "the first time a row can have"),
      Row(0, "a\\b\tc\nd\re\t", "\\x41", Kind::kNotice),  // an escape last in its field too
      Row(1773480413589, "2sin\xB2(30)+|-3|", "3.5"),
      Row(1773480413590, "1/0", "Error: Division by zero", Kind::kError),
      Row(253402300799999, every, every),
  };
  const std::string text = EncodeTape(rows);
  std::string damage;
  EXPECT_EQ(DecodeTape(text, &damage), rows);
  EXPECT_EQ(damage, "");
  EXPECT_TRUE(IsUtf8(text));
  EXPECT_NE(text.find("\n2026-03-14T09:26:53.589Z\tanswer\t2sin\u00B2(30)+|-3|\t3.5\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n1970-01-01T00:00:00.000Z\tnotice\ta\\\\b\\x09c\\x0Ad\\x0De\\x09\t\\\\x41\n"), std::string::npos);
}

// The body of a file's text: its lines after the header.
std::string Body(const std::string& text) { return text.substr(EncodeTape({}).size()); }
// A row's line as a save writes it, without its line end.
std::string LineOf(const TapeRow& row) {
  const std::string body = Body(EncodeTape({row}));
  return body.substr(0, body.size() - 1);
}

// What an editor makes of a row is still the row (a byte-order mark, CR LF,
// escapes in small letters, a tab in the result); a line that is no row is
// named with its number and every reason, each reason once.
TEST(TapeText, EditorsVariantsAreRowsAndEveryReasonIsNamed) {
  const std::string time = "2026-03-14T09:26:53.589Z", good = time + "\tanswer\t1+1\t2\n";
  const std::string kept = " (such lines are kept as they stand)";
  const struct { const char* name; std::string text; size_t rows; std::string damage; } rows[] = {
      {"empty", "", 0, ""},
      {"comments and blank lines", "# x\n\n" + good, 1, ""},
      {"CR LF, no last line break", time + "\tanswer\t1\t1\r\n" + time + "\terror\t1\t1", 2, ""},
      {"a byte-order mark before the first row", "\xEF\xBB\xBF" + good + good, 2, ""},
      {"escapes in small letters", time + "\tanswer\ta\\x0ab\t\\x1b\n", 1, ""},
      {"a tab in the result", time + "\tanswer\t1\t2\t3\n", 1, ""},
      {"three fields", time + "\tanswer\t2\n" + good, 1, "line 1 has fewer than four tab-separated fields" + kept},
      {"a day that is none", "2026-02-30T09:26:53.589Z\tanswer\t1\t1\n", 0, "line 1 has no time a row can have" + kept},
      {"hour 24", good + "2026-03-14T24:00:00.000Z\tanswer\t1\t1\n", 1, "line 2 has no time a row can have" + kept},
      {"time without its Z", time.substr(0, 23) + "\tanswer\t1\t1\n", 0, "line 1 has no time a row can have" + kept},
      {"unknown kind", time + "\tresult\t1\t1\n", 0, "line 1 has a kind other than answer, error or notice" + kept},
      {"unknown escape", time + "\tanswer\t\\q\t1\n", 0, "line 1 has a backslash that starts no escape" + kept},
      {"escape cut short", time + "\tanswer\t1\t\\x4\n", 0, "line 1 has a backslash that starts no escape" + kept},
      {"an escaped byte that needs none", time + "\tanswer\t\\xF7\t1\n", 0,
       "line 1 has a backslash that starts no escape" + kept},
      {"overlong UTF-8", time + "\tanswer\t\xC0\xAF\t1\n", 0, "line 1 is not UTF-8 text" + kept},
      {"every reason, each with its lines", time + "\tanswer\t\xFF\t1\n" + "x\n" + good + "y\n" + time + "\tx\t1\t1\n", 1,
       "line 1 is not UTF-8 text; lines 2 and 4 have fewer than four tab-separated fields; line 5 has a kind other "
       "than answer, error or notice" + kept},
      {"many lines of one reason", "a\nb\nc\nd\ne\nf\ng\n", 0,
       "lines 1, 2, 3, 4, 5 and 2 more have fewer than four tab-separated fields" + kept},
  };
  for (const auto& row : rows) {
    std::string damage;
    EXPECT_EQ(DecodeTape(row.text, &damage).size(), row.rows) << row.name;
    EXPECT_EQ(damage, row.damage) << row.name;
  }
  const std::vector<TapeRow> read = DecodeTape(time + "\tanswer\ta\\x0ab\t2\t\\x1b\n");
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(std::pair(read[0].entry, read[0].shown), std::pair(std::string("a\nb"), std::string("2\t\x1B")));
}

// Rows come in the file's order and at most a thousand, the last ones; a
// file text keeps the newest rows that fit in its size.
TEST(TapeText, TheNewestRowsAreKept) {
  std::vector<TapeRow> rows;
  for (int t = 1001; t >= 1; --t) rows.push_back(Row(t, std::to_string(t)));
  std::string text = "# backwards\n";
  for (const TapeRow& row : rows) text += Body(EncodeTape({row}));
  const std::vector<TapeRow> read = DecodeTape(text);
  ASSERT_EQ(read.size(), kTapeRows);
  EXPECT_EQ(Spec({read.front(), read.back()}), "10001000 11");

  std::vector<TapeRow> wide;
  for (int t = 1; t <= 1000; ++t) wide.push_back(Row(t, std::string(2000, 'x'), std::to_string(t)));
  const std::string fitted = EncodeTape(wide);
  const std::vector<TapeRow> newest = DecodeTape(fitted);
  EXPECT_LE(fitted.size(), kTapeBytes);
  EXPECT_GT(fitted.size() + 2100, kTapeBytes);
  EXPECT_TRUE(!newest.empty() && newest.back() == wide.back() && newest.size() < wide.size());
}

// A save's text: every line of the file as it stands, this session's rows
// each before the first later row of the file (the file's first where the
// times are equal), the lines a Clear saw gone whatever their times, the
// newest thousand rows.
TEST(TapeText, AMergeKeepsEveryLineAndAddsRowsByTime) {
  const struct { const char* file; const char* added; const char* cleared; const char* merged; } rows[] = {
      {"a1 b2", "", "", "a1 b2"},
      {"", "c3", "", "c3"},
      {"a1 c3 e5", "b2 d4", "", "a1 b2 c3 d4 e5"},
      {"a2", "b2", "", "a2 b2"},
      {"a1 b3 c5", "d6", "a1 b3", "c5 d6"},
      {"a1 f4102444800000", "", "a1 f4102444800000", ""},  // a row of 2100 goes with the rest
      {"f4102444800000", "n5", "", "n5 f4102444800000"},
      {"a1 b5", "x7 y3", "", "a1 b5 x7 y3"},  // this session's own order stands
  };
  for (const auto& row : rows) {
    const std::vector<TapeRow> added = Rows(row.added);
    std::set<std::string> cleared;
    for (const TapeRow& r : Rows(row.cleared)) cleared.insert(LineOf(r));
    EXPECT_EQ(Spec(DecodeTape(MergeTape(EncodeTape(Rows(row.file)), {added.begin(), added.end()}, cleared))),
              row.merged) << row.file << " + " << row.added;
  }
  std::vector<TapeRow> file;
  for (int t = 1; t <= 1000; ++t) file.push_back(Row(t, "f"));
  const std::vector<TapeRow> full = DecodeTape(MergeTape(EncodeTape(file), {Row(2000, "n")}, {}));
  EXPECT_EQ(std::pair(full.size(), Spec({full.front(), full.back()})), std::pair(kTapeRows, std::string("f2 n2000")));

  // Lines that are no rows, and rows in an editor's spelling, stay byte for
  // byte where they stood; a row's characters that no byte of the entry
  // line stands for stay as they are.
  const std::string time = "2026-03-14T09:26:53.589Z\tanswer\t";
  const std::string odd = "\xEF\xBB\xBF" + time + "1\t1\r\n# a comment\n" + time + "\xE2\x88\x9B" "8 \xE6\x97\xA5\t2\n" +
                          time + "\xFF\t3\n" + time + "a\\x0a\t\\x1b\tmore\n" + "what is this\n";
  const std::string merged = MergeTape(odd, {Row(1773480413590, "n")}, {});
  EXPECT_EQ(Body(merged), odd.substr(3) + LineOf(Row(1773480413590, "n")) + "\n");
}

enum class Plant { kNothing, kRows, kControls, kOwnLink, kForeignLink, kUnreadable, kNotUtf8, kTenMegabytes, kFifo };

// Whatever stands at the tape's name, a session starts with what it could
// read (and the reason it could not read all), calculates a row and saves;
// tarvo-cli's ":tape" prints what the session read, a line a row, where no
// terminal acts on a control character a row holds. A file that cannot be
// read is never written; one read in part keeps what was read (a line that
// is no row as it stood) and the new row; the file's bits, a link of the
// user's own and the newest rows stay.
TEST_F(TapeFile, WhateverStandsAtItsNameNeverStopsTheCalculator) {
  using enum Plant;
  const struct { const char* name; Plant plant; const char* reason; size_t loaded; bool saves; } rows[] = {
      {"missing", kNothing, nullptr, 0, true},
      {"two rows and a killed save's temporary", kRows, nullptr, 2, true},
      {"control characters in a row", kControls, nullptr, 2, true},
      {"own link", kOwnLink, nullptr, 2, true},
      {"another user's link", kForeignLink, "owned by another user", 0, false},
      {"unreadable", kUnreadable, "Permission denied", 0, false},
      {"not UTF-8", kNotUtf8, "not UTF-8", 2, true},
      {"10 MB", kTenMegabytes, "longer than 1 MB", kTapeRows, true},
      {"a FIFO", kFifo, "not a regular file", 0, false},
  };
  const std::string rowLine = "2026-01-01T00:00:00.000Z\tanswer\t", twoRows = rowLine + "1\t1\n" + rowLine + "2\t2\n";
  const fs::path victim = fs::path(root) / "victim";
  const fs::path tape = At(kTapeFile);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.plant == kForeignLink && geteuid() != 0) continue;  // only root can plant another's link
    Fresh();
    std::ofstream(victim) << "precious";
    std::string before;  // what the file holds that cannot be read
    switch (row.plant) {
      case kNothing: break;
      case kRows: Write(kTapeFile, twoRows), chmod(tape.c_str(), 0640), Write(".tape.txt.a1B2c3D4", "left"); break;
      case kControls: Write(kTapeFile, rowLine + "1\\x0A2\\x1B]0;x\\x07\t3\\x0D\xC2\x9D\n" + rowLine + "2\t2\n"); break;
      case kOwnLink: fs::create_directory(At("kept")), Write("kept/tape", twoRows), fs::create_symlink("kept/tape", tape); break;
      case kForeignLink: fs::create_symlink(victim, tape), lchown(tape.c_str(), kNobody, kNobody); break;
      case kUnreadable: Write(kTapeFile, before = twoRows), chmod(tape.c_str(), 0); break;
      case kNotUtf8: Write(kTapeFile, rowLine + "1\t1\n" + rowLine + "\xFF\t2\n" + rowLine + "3\t3\n"); break;
      case kTenMegabytes: {
        std::ofstream out(tape);
        for (int i = 0; i < 250'000; ++i) out << rowLine << i << '\t' << i << '\n';
        break;
      }
      case kFifo: mkfifo(tape.c_str(), 0666); break;
    }
    const bool unprivileged = row.plant == kUnreadable;  // root reads anything
    const Result printed = Run({":tape"}, "", unprivileged ? BecomeUnprivileged : +[] {});
    EXPECT_EQ(printed.status, row.reason == nullptr ? 0 : 1 << 8) << printed.err;
    EXPECT_EQ(std::count(printed.out.begin(), printed.out.end(), '\n'), static_cast<long>(row.loaded));
    EXPECT_EQ(printed.out.find_first_of("\x07\x1B\r"), std::string::npos) << printed.out;
    EXPECT_TRUE(row.plant != kControls || printed.out.find("1\\x0A2\\x1B]0;x\\x07 = 3\\x0D\\x9D\n") == 0) << printed.out;
    EXPECT_TRUE(row.reason == nullptr ? printed.err.empty()
                                      : printed.err.find("Error: cannot read " + tape.string() + ": ") == 0 &&
                                            printed.err.find(row.reason) != std::string::npos)
        << printed.err;
    // The session, as another user where permissions are to apply.
    const auto session = [&] {
      alarm(20);  // a hang ends the test binary instead of the suite's time
      Tape t;
      const FileResult load = t.Load(dir);
      t.Add(Row(TapeTimeNow(), "9\xB7" "9", "81"));
      const SaveResult save = t.Save(dir);
      alarm(0);
      return load.ok == (row.reason == nullptr) && t.Rows().size() == std::min(row.loaded + 1, kTapeRows) &&
             (row.reason == nullptr || (load.reason.find(row.reason) != std::string::npos && load.file == tape)) &&
             save.ok == row.saves && (row.saves || save.file == tape);
    };
    EXPECT_TRUE(HoldsAs(unprivileged, session));
    EXPECT_EQ(ReadText(victim), "precious");
    if (!row.saves) {
      EXPECT_TRUE(row.plant != kUnreadable || Read(kTapeFile) == before) << "not a byte changed";
      continue;
    }
    std::vector<TapeRow> after;
    // The line that is no row is kept where it stood, and named again.
    EXPECT_EQ(ReadTapeFile(dir, after).ok, row.plant != kNotUtf8);
    EXPECT_TRUE(row.plant != kNotUtf8 || Read(kTapeFile).find(rowLine + "\xFF\t2\n") != std::string::npos);
    EXPECT_EQ(after.size(), std::min(row.loaded + 1, kTapeRows));
    EXPECT_EQ(after.back().entry, "9\xB7" "9");
    EXPECT_EQ(after.size() < 2 ? "" : after[after.size() - 2].entry, row.plant == kTenMegabytes ? "249999"
                                                                      : row.loaded > 0 ? (row.plant == kNotUtf8 ? "3" : "2")
                                                                                       : "");
    EXPECT_LE(fs::file_size(tape), kTapeBytes);
    EXPECT_TRUE(row.plant != kRows || (fs::status(tape).permissions() == fs::perms(0640) &&
                                       !fs::exists(At(".tape.txt.a1B2c3D4"))))
        << "the bits kept, the killed save's temporary gone";
    EXPECT_TRUE(row.plant != kOwnLink || (fs::is_symlink(tape) && ReadText(At("kept/tape")).find("81") != std::string::npos));
  }
}

// Sessions on one tape: each save adds what its session calculated to what
// the file holds, in order of time, whether one saves after the other or
// four save at the same moment.
TEST_F(TapeFile, TwoSessionsKeepBothSessionsRows) {
  Tape first, second;
  ASSERT_TRUE(first.Load(dir).ok && second.Load(dir).ok);
  for (int i = 0; i < 3; ++i) first.Add(Row(1000 + 2 * i, "a")), second.Add(Row(1001 + 2 * i, "b"));
  ASSERT_TRUE(second.Save(dir).ok && first.Save(dir).ok && first.Save(dir).ok);  // nothing new: no second copy
  std::vector<TapeRow> rows;
  ASSERT_TRUE(ReadTapeFile(dir, rows).ok);
  EXPECT_EQ(Spec(rows), "a1000 b1001 a1002 b1003 a1004 b1005");

  pid_t children[4];
  for (int k = 0; k < 4; ++k) {
    if ((children[k] = fork()) != 0) continue;
    Tape session;
    bool ok = session.Load(dir).ok;
    for (int i = 0; i < 150; ++i) session.Add(Row(TapeTimeNow(), std::to_string(k), std::to_string(i)));
    _exit(ok && session.Save(dir).ok ? 0 : 1);
  }
  for (const pid_t child : children) EXPECT_EQ(Wait(child), 0);
  ASSERT_TRUE(ReadTapeFile(dir, rows).ok);
  ASSERT_EQ(rows.size(), 606u);
  for (const char* session : {"0", "1", "2", "3"}) {
    std::vector<std::string> shown;
    for (const TapeRow& r : rows)
      if (r.entry == session) shown.push_back(r.shown);
    EXPECT_EQ(shown.size(), 150u);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end(), [](auto& a, auto& b) { return std::stoi(a) < std::stoi(b); }));
  }
  EXPECT_EQ(Run({"-n", ":tape"}).out, "");  // without a state folder there is no tape
}

}  // namespace
}  // namespace tarvo

namespace tarvo {
namespace {

using namespace test;
using TapeClear = StateFolder;

// Every row's entry in a folder's tape, in the file's order.
std::string TapeEntries(const std::string& dir) {
  std::vector<TapeRow> rows;
  (void)ReadTapeFile(dir, rows);
  std::string out;
  for (const TapeRow& r : rows) out += (out.empty() ? "" : " ") + r.entry;
  return out;
}

// Clear empties the file of every line it holds at that moment, whatever
// the rows' times: another session's rows stamped by a clock ten minutes
// ahead, a row of 2099, a line that is no row. Each row keeps the time it
// was stamped with (no row is pushed past a later one). Where another
// session holds the lock, the Clear is done by the next save: what the
// file held at the Clear goes, and the rows saved after it stay. A session
// that never read the file (started without the saved values) leaves the
// file's rows alone: its Clear and its save touch only its own.
TEST_F(TapeClear, ClearTakesWhatTheFileHoldsWhateverItsTimes) {
  const std::int64_t now = 1773480413589, ahead = now + 600000;  // a shared home's clocks ten minutes apart
  Write(kTapeFile, EncodeTape({Row(4102444800000, "y2100")}) + "what is this\n");
  Tape here, there;
  ASSERT_FALSE(here.Load(dir).ok);  // the line that is no row is named
  ASSERT_FALSE(there.Load(dir).ok);
  there.Add(Row(ahead, "ahead1")), there.Add(Row(ahead + 1, "ahead2"));
  ASSERT_TRUE(there.Save(dir).ok);
  EXPECT_EQ(here.Add(Row(now, "here")).time, now) << "stamped as calculated, not after the rows of 2100";
  EXPECT_EQ(TapeEntries(dir), "ahead1 ahead2 y2100");
  ASSERT_TRUE(here.Clear(dir).ok);
  EXPECT_EQ(std::pair(TapeEntries(dir), Read(kTapeFile)), std::pair(std::string(), EncodeTape({})));
  here.Add(Row(now + 1, "after"));
  ASSERT_TRUE(here.Save(dir).ok);
  Tape next;
  EXPECT_TRUE(next.Load(dir).ok);
  ASSERT_EQ(next.Rows().size(), 1u);
  EXPECT_EQ(next.Rows()[0], Row(now + 1, "after"));

  // Another session holds the lock at the Clear.
  there.Add(Row(ahead + 2, "before"));
  ASSERT_TRUE(there.Save(dir).ok);
  {
    LockHolder holder(dir);
    ASSERT_TRUE(holder.Holding());
    const SaveResult cleared = here.Clear(dir, [](const LockWaitTurn&) { return false; });
    EXPECT_TRUE(cleared.busy);
  }
  there.Add(Row(ahead + 3, "later"));  // saved after the Clear: it stays
  ASSERT_TRUE(there.Save(dir).ok);
  EXPECT_EQ(TapeEntries(dir), "after before later");
  ASSERT_TRUE(here.Save(dir).ok);
  EXPECT_EQ(TapeEntries(dir), "later");

  // Started without the saved values: its Clear and its save keep the
  // folder's rows, and add its own.
  Tape without;
  ASSERT_TRUE(without.Load("").ok);
  without.Add(Row(now + 5, "mine"));
  EXPECT_TRUE(without.Clear("").ok);
  without.Add(Row(now + 6, "kept"));
  ASSERT_TRUE(without.Save(dir).ok);
  EXPECT_EQ(TapeEntries(dir), "kept later");
}

// A full file system: the tape is rewritten in place where that needs no
// new room (a Clear, fewer bytes), and where it does, the save fails and
// leaves the file as it was; the variables beside it are another matter.
// Through a 16 KB tmpfs.
TEST_F(TapeClear, AFullDiskTakesARewriteInPlace) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
  if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=16k,mode=0755") != 0)
    GTEST_SKIP() << "no tmpfs: " << std::strerror(errno);
  const std::unique_ptr<const char, void (*)(const char*)> unmount(dir.c_str(), [](auto p) { umount2(p, MNT_DETACH); });
  Tape tape;
  ASSERT_TRUE(tape.Load(dir).ok);
  for (int i = 0; i < 40; ++i) tape.Add(Row(1000 + i, "row" + std::to_string(i), std::string(40, 'r')));
  ASSERT_TRUE(tape.Save(dir).ok);
  std::ofstream(At("filler")) << std::string(16384, 'x');  // takes what is left
  const std::string full = Read(kTapeFile);
  tape.Add(Row(2000, "more", std::string(4000, 'm')));  // needs a page more
  const SaveResult refused = tape.Save(dir);
  EXPECT_EQ(std::pair(refused.ok, refused.reason), std::pair(false, std::string("No space left on device")));
  EXPECT_EQ(Read(kTapeFile), full) << "not a byte changed";
  EXPECT_TRUE(tape.Clear(dir).ok) << "a Clear needs no new room";
  EXPECT_EQ(Read(kTapeFile), EncodeTape({}));
  tape.Add(Row(3000, "small"));
  EXPECT_TRUE(tape.Save(dir).ok);
  EXPECT_EQ(TapeEntries(dir), "small");
  EXPECT_EQ(Entries(), 2) << "the tape and the filler: no temporaries";
}

}  // namespace
}  // namespace tarvo
