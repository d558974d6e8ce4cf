// Result rendering: DrawResult turns a result text into typography on a
// drawing surface. The Qt display and a recording surface in the tests both
// implement DrawSurface.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

class DrawSurface {
 public:
  virtual ~DrawSurface() = default;
  virtual double CurrentX() const = 0;
  virtual void SetCurrentX(double x) = 0;
  virtual double CurrentY() const = 0;
  virtual void SetCurrentY(double y) = 0;
  virtual std::string FontName() const = 0;
  virtual void SetFontName(const std::string& name) = 0;
  virtual double FontSize() const = 0;
  virtual void SetFontSize(double points) = 0;
  virtual bool FontBold() const = 0;
  virtual void SetFontBold(bool bold) = 0;
  // Width of a Windows-1252 text in the current font, in pixels.
  virtual double TextWidth(const std::string& text) const = 0;
  // Prints at (CurrentX, CurrentY) and advances CurrentX by the text's width.
  virtual void Print(const std::string& text) = 0;
  // A line in the surface's fore colour.
  virtual void Line(double x0, double y0, double x1, double y1) = 0;
};

// The display's fonts: its own bold text font and the glyph font whose "p"
// is pi and whose byte 214 is the radical sign.
inline constexpr const char* kDisplayFont = "Mirtel";
inline constexpr const char* kSymbolFont = "Symbol";

// Draws a result text (as the output keys produce it, normally with one
// leading blank) at the surface's pen: "E" exponents raised, "pi" as the
// Greek letter, "sqr" as a radical with a bar over the radicand.
void DrawResult(const std::string& text, DrawSurface& surface);

// The text a plain rendering of a result shows: the result text trimmed, with
// the zero put back before a leading point ("-.25" -> "-0.25"). What the
// console prints for a result.
std::string PlainResultText(const std::string& text);
// The same into `out`, reusing its storage (the console writes one per entry).
void PlainResultText(std::string_view text, std::string& out);

}  // namespace tarvo
