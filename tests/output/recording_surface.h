// A DrawSurface that records every print and line with the pen and font in
// force, for checking DrawResult's typography without a window.
#pragma once

#include <string>
#include <vector>

#include "output/draw.h"

namespace tarvo::test {

struct PrintedText {
  std::string text;
  double x = 0, y = 0;
  std::string font;
  double size = 0;
  bool bold = false;
};

struct DrawnLine {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

class RecordingSurface : public DrawSurface {
 public:
  RecordingSurface() : font_(kDisplayFont) {}

  double CurrentX() const override { return x_; }
  void SetCurrentX(double x) override { x_ = x; }
  double CurrentY() const override { return y_; }
  void SetCurrentY(double y) override { y_ = y; }
  std::string FontName() const override { return font_; }
  void SetFontName(const std::string& name) override { font_ = name; }
  double FontSize() const override { return size_; }
  void SetFontSize(double points) override { size_ = points; }
  bool FontBold() const override { return bold_; }
  void SetFontBold(bool bold) override { bold_ = bold; }
  // Every byte is half the point size wide; the glyph font a quarter wider,
  // so a width taken in the wrong font shows.
  double TextWidth(const std::string& text) const override {
    const double perChar = font_ == kSymbolFont ? size_ * 0.625 : size_ * 0.5;
    return perChar * static_cast<double>(text.size());
  }
  void Print(const std::string& text) override {
    prints.push_back({text, x_, y_, font_, size_, bold_});
    x_ += TextWidth(text);
  }
  void Line(double x0, double y0, double x1, double y1) override {
    lines.push_back({x0, y0, x1, y1});
  }

  // All printed texts run together, as one line of the display.
  std::string AllText() const {
    std::string all;
    for (const auto& p : prints) all += p.text;
    return all;
  }

  std::vector<PrintedText> prints;
  std::vector<DrawnLine> lines;

 private:
  double x_ = 0, y_ = 0;
  std::string font_;
  double size_ = 8;
  bool bold_ = true;
};

}  // namespace tarvo::test
