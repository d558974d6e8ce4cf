// The result display: a drawing surface for DrawResult that keeps
// what was drawn and paints it again on every expose.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "output/draw.h"
#include "ui/logic/look.h"

namespace tarvo::ui {

class DisplayBox : public QWidget, public DrawSurface {
 public:
  // One drawn item, in surface pixels (the pen's coordinates).
  struct Item {
    enum Kind { kText, kLine } kind = kText;
    double x = 0, y = 0, x1 = 0, y1 = 0;
    QString text;       // as shown (UTF-8 signs)
    QString family;     // the requested font name
    double size = 0;    // points
    bool bold = false;
  };

  explicit DisplayBox(QWidget* parent = nullptr);

  void Clear();
  const std::vector<Item>& Items() const { return items_; }
  // Everything printed, in order, as one text (what a reader of the display sees).
  QString ShownText() const;

  // DrawSurface
  double CurrentX() const override { return x_; }
  void SetCurrentX(double x) override { x_ = x; }
  double CurrentY() const override { return y_; }
  void SetCurrentY(double y) override { y_ = y; }
  std::string FontName() const override { return fontName_; }
  void SetFontName(const std::string& name) override { fontName_ = name; }
  double FontSize() const override { return fontSize_; }
  void SetFontSize(double points) override { fontSize_ = points; }
  bool FontBold() const override { return bold_; }
  void SetFontBold(bool bold) override { bold_ = bold; }
  double TextWidth(const std::string& text) const override;
  void Print(const std::string& text) override;
  void Line(double x0, double y0, double x1, double y1) override;

  // The font a request stands for, and the signs a text shows in it: the
  // glyph font's "p" is pi and its byte 214 the radical sign.
  static QFont FontFor(double points, bool bold);
  static QString Shown(const std::string& bytes, const std::string& fontName);

  // The panel and its text in `look` (the default: a pale liquid-crystal
  // panel in dark ink).
  void SetLook(Look look);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<Item> items_;
  double x_ = 0, y_ = 0;
  std::string fontName_ = kDisplayFont;
  double fontSize_ = 11;
  bool bold_ = true;
  Look look_ = Look::kDefault;
};

}  // namespace tarvo::ui
