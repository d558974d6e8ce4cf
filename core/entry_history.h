// The entry line's history: the last 32 different entries, and the place the
// Up and Down arrows have reached in them.
#pragma once

#include <array>
#include <string>

namespace tarvo {

inline constexpr int kHistorySize = 32;

class EntryHistory {
 public:
  // Entry i: 1 the oldest, Last() the newest ("" outside 1..Last()).
  const std::string& Entry(int i) const;
  int Last() const { return last_; }
  bool Empty() const { return last_ == 0; }

  // Keeps a (trimmed) entry unless it is empty or repeats the newest; the
  // review starts again from the newest either way.
  void Record(std::string entry);
  // Moves the review one entry older (down to the oldest) or newer (up to
  // the newest) and returns the entry reached.
  const std::string& Older();
  const std::string& Newer();
  // True while the review stands on the newest entry.
  bool AtNewest() const { return cursor_ == last_; }

 private:
  // A ring: once full, a new entry takes the oldest one's slot instead of
  // moving the other 31 down. Entry 1 is in slot start_.
  std::array<std::string, kHistorySize> entries_{};
  int start_ = 0;
  int last_ = 0;
  int cursor_ = 0;
};

}  // namespace tarvo
