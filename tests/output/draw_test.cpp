// DrawResult's typography, checked on a recording surface whose text width
// is half the point size per byte (five eighths of it in the glyph font).
#include "output/draw.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/base/test_support.h"
#include "tests/output/recording_surface.h"

namespace tarvo {
namespace {

using test::DrawnLine;
using test::PrintedText;
using test::RecordingSurface;

const std::string kMirtel = kDisplayFont;
const std::string kSymbol = kSymbolFont;

struct DrawRow {
  const char* name;
  std::string text;
  std::vector<PrintedText> prints;
  std::vector<DrawnLine> lines;
};

void PrintTo(const DrawRow& r, std::ostream* os) { *os << r.name; }

// Widths on the recording surface: a byte is 5.5 wide at 11 points, 4.5 at
// 9 points, and a glyph 8.75 at 14 points.
PrintedText Text(const std::string& t, double x) { return {t, x, 3, kMirtel, 11, true}; }
PrintedText Raised(const std::string& t, double x) { return {t, x, 0, kMirtel, 9, true}; }
PrintedText Pi(double x) { return {"p", x, -1, kSymbol, 14, false}; }
PrintedText Radical(double x) { return {"\xD6", x, 2, kSymbol, 14, false}; }

class DrawResultTest : public test::FreshEngine, public ::testing::WithParamInterface<DrawRow> {};

TEST_P(DrawResultTest, PrintsWhereAndHowExpected) {
  const DrawRow& r = GetParam();
  RecordingSurface s;
  DrawResult(r.text, s);
  ASSERT_EQ(s.prints.size(), r.prints.size()) << "printed: [" << s.AllText() << "]";
  for (size_t i = 0; i < r.prints.size(); ++i) {
    const PrintedText& got = s.prints[i];
    const PrintedText& want = r.prints[i];
    EXPECT_EQ(got.text, want.text) << "print " << i;
    EXPECT_DOUBLE_EQ(got.x, want.x) << "print " << i << " [" << want.text << "]";
    EXPECT_DOUBLE_EQ(got.y, want.y) << "print " << i << " [" << want.text << "]";
    EXPECT_EQ(got.font, want.font) << "print " << i << " [" << want.text << "]";
    EXPECT_DOUBLE_EQ(got.size, want.size) << "print " << i << " [" << want.text << "]";
    EXPECT_EQ(got.bold, want.bold) << "print " << i << " [" << want.text << "]";
  }
  ASSERT_EQ(s.lines.size(), r.lines.size());
  for (size_t i = 0; i < r.lines.size(); ++i) {
    EXPECT_DOUBLE_EQ(s.lines[i].x0, r.lines[i].x0);
    EXPECT_DOUBLE_EQ(s.lines[i].y0, r.lines[i].y0);
    EXPECT_DOUBLE_EQ(s.lines[i].x1, r.lines[i].x1);
    EXPECT_DOUBLE_EQ(s.lines[i].y1, r.lines[i].y1);
  }
  // Every complete form ends in the display font on the base line.
  EXPECT_EQ(s.FontName(), kMirtel);
  EXPECT_DOUBLE_EQ(s.FontSize(), 11);
  EXPECT_DOUBLE_EQ(s.CurrentY(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DrawResultTest,
    ::testing::Values(
        // Plain form.
        DrawRow{"Plain", " 12.5", {Text(" 12.5", 0)}, {}},
        DrawRow{"PlainNegativePointGetsZero", " -.25", {Text(" -0.25", 0)}, {}},
        DrawRow{"PlainPointGetsZero", " .5", {Text(" 0.5", 0)}, {}},
        DrawRow{"PlainNegativeHalf", " -.5", {Text(" -0.5", 0)}, {}},
        DrawRow{"PlainWithoutLeadingSpace", "12.5", {Text("12.5", 0)}, {}},
        DrawRow{"PlainTrailingBlanksGo", " 7  ", {Text(" 7", 0)}, {}},
        DrawRow{"InnerPointUntouched", " 0\xB0 0' .5\"", {Text(" 0\xB0 0' .5\"", 0)}, {}},
        DrawRow{"DateHasNoCapitalE", " Wednesday, December 31st, 2098",
                {Text(" Wednesday, December 31st, 2098", 0)}, {}},
        DrawRow{"HexDigitEIsNoExponent", " &h 1E", {Text(" &h 1E", 0)}, {}},
        DrawRow{"NegativeHexDigitE", " -&h 1E", {Text(" -&h 1E", 0)}, {}},
        DrawRow{"BinaryFraction", " &b 101.1", {Text(" &b 101.1", 0)}, {}},
        // Exponent form: the mantissa, then the exponent raised and smaller.
        DrawRow{"ExponentPositive", " 1.5E+20", {Text("  1.5\xB7" "10", 0), Raised("20", 44)}, {}},
        DrawRow{"ExponentNegative", " 1.23E-4", {Text("  1.23\xB7" "10", 0), Raised("-4", 49.5)}, {}},
        DrawRow{"ExponentLeadingZerosGo", " 1.5E-07", {Text("  1.5\xB7" "10", 0), Raised("-7", 44)}, {}},
        DrawRow{"ExponentNegativeMantissa", " -1.2E-4", {Text("  -1.2\xB7" "10", 0), Raised("-4", 49.5)}, {}},
        DrawRow{"ExponentWithoutLeadingSpace", "1E+15", {Text(" 1\xB7" "10", 0), Raised("15", 27.5)}, {}},
        DrawRow{"ExponentTrailingMarkLowered", " 2E+05\"",
                {Text("  2\xB7" "10", 0), Raised("5", 33), Text("\"", 38.5)}, {}},
        // Pi form.
        DrawRow{"PiWithCoefficientAndDenominator", " 2pi/3", {Text("  2", 0), Pi(17.5), Text("/3", 26.25)}, {}},
        DrawRow{"PiAlone", " pi", {Text("  ", 0), Pi(12), Text("", 20.75)}, {}},
        DrawRow{"NegativePi", " -pi/2", {Text("  -", 0), Pi(17.5), Text("/2", 26.25)}, {}},
        // Root form: the bar runs from the radical's end over the radicand.
        DrawRow{"RootWithCoefficient", " 3sqr2/4",
                {Text("  3", 0), Radical(16.5), Text("2/4", 25.25)}, {{25.25, 2, 30.75, 2}}},
        DrawRow{"RootAlone", " sqr2", {Text("  ", 0), Radical(11), Text("2", 19.75)}, {{19.75, 2, 25.25, 2}}},
        DrawRow{"RootLongRadicand", " sqr12/24",
                {Text("  ", 0), Radical(11), Text("12/24", 19.75)}, {{19.75, 2, 30.75, 2}}},
        DrawRow{"NegativeRoot", " -sqr3/2",
                {Text("  -", 0), Radical(16.5), Text("3/2", 25.25)}, {{25.25, 2, 30.75, 2}}},
        DrawRow{"RadicandStopsBeforeNonDigit", " sqr2)/4",
                {Text("  ", 0), Radical(11), Text("2)/4", 19.75)}, {{19.75, 2, 25.25, 2}}},
        DrawRow{"RadicandWithoutTrailingNonDigit", " sqr15)",
                {Text("  ", 0), Radical(11), Text("15)", 19.75)}, {{19.75, 2, 30.75, 2}}}),
    [](const auto& info) { return std::string(info.param.name); });

class DrawResultState : public test::FreshEngine {};

TEST_F(DrawResultState, RootLeavesThePenAfterTheWholeText) {
  RecordingSurface s;
  DrawResult(" 3sqr2/4", s);
  EXPECT_DOUBLE_EQ(s.CurrentX(), 25.25 + 16.5);
}

TEST_F(DrawResultState, GlyphFormsRestoreTheRememberedFont) {
  for (const char* text : {" 2pi/3", " 3sqr2/4"}) {
    RecordingSurface s;
    s.SetFontName("Other");
    DrawResult(text, s);
    ASSERT_FALSE(s.prints.empty());
    EXPECT_EQ(s.prints.back().font, "Other") << text;
    EXPECT_TRUE(s.prints.back().bold) << text;
    EXPECT_EQ(s.FontName(), "Other") << text;
  }
}

TEST_F(DrawResultState, UnreadableExponentStopsSilently) {
  RecordingSurface s;
  DrawResult(" 1E+x5", s);
  ASSERT_EQ(s.prints.size(), 1u);
  EXPECT_EQ(s.prints[0].text, "  1\xB7" "10");
  // Left raised and small, as it was when the fault struck.
  EXPECT_DOUBLE_EQ(s.CurrentY(), 0);
  EXPECT_DOUBLE_EQ(s.FontSize(), 9);
  // The next call starts from the base line again.
  DrawResult(" 4", s);
  EXPECT_DOUBLE_EQ(s.prints.back().y, 3);
  EXPECT_DOUBLE_EQ(s.prints.back().size, 11);
}

TEST(PlainResultText, TrimsAndPutsTheZeroBack) {
  const struct {
    const char* text;
    const char* plain;
  } rows[] = {
      {" 12.5", "12.5"},      {" -.25", "-0.25"},     {" .5", "0.5"},
      {" 1.5E+20", "1.5E+20"}, {" 2pi/3", "2pi/3"},    {" -&h 1A", "-&h 1A"},
      {" 0\xB0 0' .5\"", "0\xB0 0' .5\""},            {"", ""},
      {"-.", "-0."},
  };
  for (const auto& r : rows) EXPECT_EQ(PlainResultText(r.text), r.plain) << "[" << r.text << "]";
}

}  // namespace
}  // namespace tarvo
