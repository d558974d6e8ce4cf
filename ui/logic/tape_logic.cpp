#include "ui/logic/tape_logic.h"

#include <algorithm>
#include <iterator>

#include "ui/logic/calculator_logic.h"

namespace tarvo {

namespace {

int Overlap(const Box& a, const Box& b) {
  const int w = std::min(a.left + a.width, b.left + b.width) - std::max(a.left, b.left);
  const int h = std::min(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
  return std::max(w, 0) * std::max(h, 0);
}

}  // namespace

Box PlaceTapeWindow(const Box& window, const Box& screen) {
  const int screenRight = screen.left + screen.width, screenBottom = screen.top + screen.height;
  // Never taller or wider than the screen, never beyond its edges.
  const int height = std::min(window.height, screen.height), width = std::min(kTapeWidth, screen.width);
  const auto within = [&](int at, int size, int from, int to) { return std::clamp(at, from, std::max(from, to - size)); };
  const int besideTop = within(window.top, height, screen.top, screenBottom);
  const int endLeft = within(window.left + window.width - width, width, screen.left, screenRight);
  const int right = screenRight - (window.left + window.width + kTapeGap);
  const int left = window.left - kTapeGap - screen.left;
  const auto beside = [&](bool onRight, int room) {
    const int w = std::min(std::clamp(room, kTapeMinWidth, kTapeWidth), screen.width);
    return Box{onRight ? window.left + window.width + kTapeGap : window.left - kTapeGap - w, besideTop, w, height};
  };
  if (right >= kTapeWidth) return beside(true, right);
  if (left >= kTapeWidth) return beside(false, left);
  if (std::max(right, left) >= kTapeMinWidth) return beside(right >= left, std::max(right, left));
  const int below = screenBottom - (window.top + window.height + kTapeGap);
  const int above = window.top - kTapeGap - screen.top;
  if (std::max(below, above) >= kTapeMinHeight) {
    const int h = std::min(std::max(below, above), height);
    return Box{endLeft, below >= above ? window.top + window.height + kTapeGap : window.top - kTapeGap - h, width, h};
  }
  // No room beside, below or above: at the screen's edge, at its smallest,
  // over as little of the calculator as can be.
  const int narrow = std::min(kTapeMinWidth, screen.width), low = std::min(kTapeMinHeight, screen.height);
  const Box edges[] = {
      {screenRight - narrow, besideTop, narrow, height},
      {screen.left, besideTop, narrow, height},
      {endLeft, screenBottom - low, width, low},
      {endLeft, screen.top, width, low},
  };
  return *std::min_element(std::begin(edges), std::end(edges),
                           [&](const Box& a, const Box& b) { return Overlap(a, window) < Overlap(b, window); });
}

void TapeLogic::Fill() {
  c_.ClearRows();
  const auto& rows = calculator_.GetTape().Rows();
  for (const TapeRow& row : rows) c_.AddRow(row);
  shown_ = rows.size();
  if (shown_ > 0) c_.ShowNewestRow();
}

void TapeLogic::RowAdded() {
  const auto& rows = calculator_.GetTape().Rows();
  if (rows.empty()) return;
  if (shown_ >= rows.size()) c_.RemoveOldestRow();
  else ++shown_;
  c_.AddRow(rows.back());
  c_.ShowNewestRow();
}

void TapeLogic::UseRow(int row) {
  const auto& rows = calculator_.GetTape().Rows();
  if (row >= 0 && static_cast<size_t>(row) < rows.size()) calculator_.PutEntryBack(rows[static_cast<size_t>(row)].entry);
}

void TapeLogic::CopyRows(std::vector<int> rows) {
  const auto& tape = calculator_.GetTape().Rows();
  std::sort(rows.begin(), rows.end());
  std::string text;
  for (auto row = rows.begin(); row != rows.end(); ++row) {
    if (*row < 0 || static_cast<size_t>(*row) >= tape.size() || (row != rows.begin() && *row == row[-1])) continue;
    text += (text.empty() ? "" : "\n") + TapeLine(tape[static_cast<size_t>(*row)]);
  }
  if (!text.empty()) c_.SetClipboardText(text);
}

void TapeLogic::Clear() {
  calculator_.ClearTape();
  Fill();
}

}  // namespace tarvo
