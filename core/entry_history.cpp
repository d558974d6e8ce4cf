#include "core/entry_history.h"

#include <algorithm>

namespace tarvo {

const std::string& EntryHistory::Entry(int i) const {
  static const std::string kNone;
  if (i < 1 || i > last_) return kNone;
  return entries_[static_cast<size_t>((start_ + i - 1) % kHistorySize)];
}

void EntryHistory::Record(std::string entry) {
  cursor_ = last_;
  if (entry.empty() || entry == Entry(last_)) return;
  if (last_ == kHistorySize) {
    start_ = (start_ + 1) % kHistorySize;  // the oldest entry's slot becomes the newest's
  } else {
    ++last_;
  }
  entries_[static_cast<size_t>((start_ + last_ - 1) % kHistorySize)] = std::move(entry);
  cursor_ = last_;
}

const std::string& EntryHistory::Older() {
  cursor_ = std::max(cursor_ - 1, 1);
  return Entry(cursor_);
}

const std::string& EntryHistory::Newer() {
  cursor_ = std::min(cursor_ + 1, last_);
  return Entry(cursor_);
}

}  // namespace tarvo
