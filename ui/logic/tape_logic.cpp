#include "ui/logic/tape_logic.h"

#include <algorithm>

#include "ui/logic/calculator_logic.h"

namespace tarvo {

Box PlaceTapeWindow(const Box& window, const Box& screen) {
  const int screenRight = screen.left + screen.width, screenBottom = screen.top + screen.height;
  const int right = screenRight - (window.left + window.width + kTapeGap);
  const int left = window.left - kTapeGap - screen.left;
  const auto beside = [&](bool onRight, int room) {
    const int width = std::clamp(room, kTapeMinWidth, kTapeWidth);
    const int top = std::clamp(window.top, screen.top, std::max(screen.top, screenBottom - window.height));
    return Box{onRight ? window.left + window.width + kTapeGap : window.left - kTapeGap - width, top, width,
               window.height};
  };
  if (right >= kTapeWidth) return beside(true, right);
  if (left >= kTapeWidth) return beside(false, left);
  if (std::max(right, left) >= kTapeMinWidth) return beside(right >= left, std::max(right, left));
  const int below = screenBottom - (window.top + window.height + kTapeGap);
  const int above = window.top - kTapeGap - screen.top;
  if (std::max(below, above) >= kTapeMinHeight) {
    const int height = std::min(std::max(below, above), window.height);
    const int at = std::clamp(window.left + window.width - kTapeWidth, screen.left,
                              std::max(screen.left, screenRight - kTapeWidth));
    return Box{at, below >= above ? window.top + window.height + kTapeGap : window.top - kTapeGap - height,
               kTapeWidth, height};
  }
  return beside(true, kTapeWidth);
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
