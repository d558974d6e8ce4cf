// DrawResult's typography on a recording surface (the console prints plain
// text, so this is where the display's drawing is seen). The surface starts
// in font "T": glyph forms must come back to it, not to a font of their own.
#include "output/draw.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/output/recording_surface.h"

namespace tarvo {
namespace {

TEST(DrawResult, PrintsWhereAndHowExpected) {
  const struct {
    const char* text;  // "\n" separates texts drawn one after another
    const char* trace;
  } rows[] = {
      {" 12.5", "[ 12.5]0,3 T11b => 27.5,3 T11b"},
      {" -.25", "[ -0.25]0,3 T11b => 33,3 T11b"},
      {" .5", "[ 0.5]0,3 T11b => 22,3 T11b"},
      {"12.5", "[12.5]0,3 T11b => 22,3 T11b"},
      {" 7  ", "[ 7]0,3 T11b => 11,3 T11b"},
      {" 0\xB0 0\' .5\"", "[ 0\xB0 0' .5\"]0,3 T11b => 55,3 T11b"},
      {" -&h 1E", "[ -&h 1E]0,3 T11b => 38.5,3 T11b"},
      {" 1.5E+20", "[  1.5\xB7" "10]0,3 T11b [20]44,0 T9b => 53,3 T11b"},
      {" 1.23E-4", "[  1.23\xB7" "10]0,3 T11b [-4]49.5,0 T9b => 58.5,3 T11b"},
      {" 1.5E-09", "[  1.5\xB7" "10]0,3 T11b [-9]44,0 T9b => 53,3 T11b"},
      {" -1.2E-4", "[  -1.2\xB7" "10]0,3 T11b [-4]49.5,0 T9b => 58.5,3 T11b"},
      {"1E+15", "[ 1\xB7" "10]0,3 T11b [15]27.5,0 T9b => 36.5,3 T11b"},
      {" 2E+05\"", "[  2\xB7" "10]0,3 T11b [5]33,0 T9b [\"]38.5,3 T11b => 44,3 T11b"},
      {" 1E+x5\n 4", "[  1\xB7" "10]0,3 T11b [ 4]33,3 T11b => 44,3 T11b"},
      {" 2pi/3", "[  2]0,3 T11b [p]17.5,-1 Symbol14 [/3]26.25,3 T11b => 37.25,3 T11b"},
      {" pi", "[  ]0,3 T11b [p]12,-1 Symbol14 []20.75,3 T11b => 20.75,3 T11b"},
      {" -pi/2", "[  -]0,3 T11b [p]17.5,-1 Symbol14 [/2]26.25,3 T11b => 37.25,3 T11b"},
      {" 3sqr2/4", "[  3]0,3 T11b [\xD6]16.5,2 Symbol14 [2/4]25.25,3 T11b line 25.25,2-30.75,2 => 41.75,3 T11b"},
      {" sqr12/24", "[  ]0,3 T11b [\xD6]11,2 Symbol14 [12/24]19.75,3 T11b line 19.75,2-30.75,2 => 47.25,3 T11b"},
      {" -sqr3/2", "[  -]0,3 T11b [\xD6]16.5,2 Symbol14 [3/2]25.25,3 T11b line 25.25,2-30.75,2 => 41.75,3 T11b"},
      {" sqr2)/4", "[  ]0,3 T11b [\xD6]11,2 Symbol14 [2)/4]19.75,3 T11b line 19.75,2-25.25,2 => 41.75,3 T11b"},
      {" sqr15)", "[  ]0,3 T11b [\xD6]11,2 Symbol14 [15)]19.75,3 T11b line 19.75,2-30.75,2 => 36.25,3 T11b"},
  };
  for (const auto& r : rows) {
    test::RecordingSurface s;
    std::string text = r.text;
    for (size_t cut; (cut = text.find('\n')) != std::string::npos; text.erase(0, cut + 1))
      DrawResult(text.substr(0, cut), s);
    DrawResult(text, s);
    EXPECT_EQ(s.Trace(), r.trace) << "[" << r.text << "]";
  }
}

TEST(PlainResultText, TrimsAndPutsTheZeroBack) {
  EXPECT_EQ(PlainResultText("   "), "");
  EXPECT_EQ(PlainResultText(" -. "), "-0.");
  EXPECT_EQ(PlainResultText(" .5 "), "0.5");
}

}  // namespace
}  // namespace tarvo
