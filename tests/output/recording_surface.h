// A DrawSurface that writes every print and line, with the pen and font in
// force, to one trace: DrawResult's typography checked without a window.
#pragma once

#include <sstream>
#include <string>

#include "output/draw.h"

namespace tarvo::test {

class RecordingSurface : public DrawSurface {
 public:
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
  // A byte is half the point size wide, in the glyph font five eighths: a
  // width taken in the wrong font shows.
  double TextWidth(const std::string& text) const override {
    return (font_ == kSymbolFont ? 0.625 : 0.5) * size_ * static_cast<double>(text.size());
  }
  // "[text]x,y font size" with "b" for bold; a line as "line x0,y0-x1,y1".
  void Print(const std::string& text) override {
    trace_ << "[" << text << "]" << x_ << "," << y_ << " " << Pen() << " ";
    x_ += TextWidth(text);
  }
  void Line(double x0, double y0, double x1, double y1) override {
    trace_ << "line " << x0 << "," << y0 << "-" << x1 << "," << y1 << " ";
  }
  std::string Pen() const { return font_ + std::to_string(static_cast<int>(size_)) + (bold_ ? "b" : ""); }
  // The trace, then where the pen was left and the font in force.
  std::string Trace() const {
    std::ostringstream end;
    end << "=> " << x_ << "," << y_ << " " << Pen();
    return trace_.str() + end.str();
  }

 private:
  std::ostringstream trace_;
  double x_ = 0, y_ = 0;
  std::string font_ = "T";
  double size_ = 8;
  bool bold_ = true;
};

}  // namespace tarvo::test
