#include "input.h"

#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <iostream>

#if defined(TARVO_HAVE_EDITLINE)
#include <histedit.h>
#endif

namespace tarvo::cli {
namespace {

// Standard input's bytes through a buffer of its own.
class InputBytes {
 public:
  static constexpr int kEnd = -1, kFailed = -2;

  InputBytes(BeforeWait beforeWait, const volatile std::sig_atomic_t* stop)
      : beforeWait_(std::move(beforeWait)), stop_(stop) {}

  // The next byte, kEnd or kFailed (Error() tells why).
  int Next() {
    if (Stopped()) return kEnd;
    if (pos_ == end_ && !Fill()) return error_ != 0 ? kFailed : kEnd;
    return static_cast<unsigned char>(buffer_[pos_++]);
  }
  // Drops the rest of the line (its end too); false when the input ended
  // or failed first.
  bool SkipLine() {
    for (;;) {
      if (Stopped()) return false;
      if (pos_ == end_ && !Fill()) return false;
      while (pos_ < end_) {
        const char c = buffer_[pos_++];
        if (c == '\n' || c == '\r') return true;
      }
    }
  }
  int Error() const { return error_; }

 private:
  bool Stopped() const { return stop_ != nullptr && *stop_ != 0; }

  bool Fill() {
    if (beforeWait_) beforeWait_();
    ssize_t n = 0;
    for (;;) {
      n = read(STDIN_FILENO, buffer_, sizeof buffer_);
      if (n >= 0 || errno == EINTR) {
        if (n >= 0) break;
        if (Stopped()) return false;  // however often the read is interrupted
        continue;
      }
      if (errno != EAGAIN && errno != EWOULDBLOCK) break;
      pollfd ready{STDIN_FILENO, POLLIN, 0};
      poll(&ready, 1, -1);  // a signal ends it, and the read is tried again
    }
    if (n < 0) error_ = errno;
    pos_ = 0;
    end_ = n > 0 ? static_cast<size_t>(n) : 0;
    return n > 0;
  }

  BeforeWait beforeWait_;
  const volatile std::sig_atomic_t* stop_;
  char buffer_[65536];
  size_t pos_ = 0, end_ = 0;
  int error_ = 0;
};

class Plain : public LineSource {
 public:
  Plain(BeforeWait beforeWait, const volatile std::sig_atomic_t* stop) : bytes_(std::move(beforeWait), stop) {}

  InputLine Next() override {
    InputLine line;
    line.text.reserve(256);
    int c = bytes_.Next();
    if (c == InputBytes::kEnd) return line;
    for (; c >= 0 && c != '\n'; c = bytes_.Next()) {
      if (line.text.size() < kMaxLineBytes) line.text += static_cast<char>(c);
      else line.cutShort = true;
    }
    if (c == InputBytes::kFailed) {
      line.kind = InputLine::Kind::kError;
      line.error = bytes_.Error();
      return line;
    }
    if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
    line.kind = InputLine::Kind::kLine;
    return line;
  }

 private:
  InputBytes bytes_;
};

#if defined(TARVO_HAVE_EDITLINE)

volatile std::sig_atomic_t resized = 0;
void OnResize(int) { resized = 1; }

// libedit reads its characters through ReadCharacter, which decodes them
// from the locale's multibyte text and stops handing them over once the
// line is longer than an entry may be: the editor then holds a bounded line
// however much is typed or pasted, and the rest of it is dropped unread by
// the editor. Keys that repeat a command (Esc and a count) do nothing, and
// the user's own bindings are not read, since a repeated command would
// grow the line far beyond the limit in one step. The editor leaves the
// signals to tarvo-cli: its own handlers would pass each on to the whole
// process group, the shell that started tarvo-cli included.
class Prompt : public LineSource {
 public:
  Prompt(BeforeWait beforeWait, const volatile std::sig_atomic_t* stop)
      : beforeWait_(std::move(beforeWait)), bytes_(nullptr, stop) {
    editor_ = el_init("tarvo-cli", stdin, stdout, stderr);
    history_ = history_init();
    HistEvent event;
    history(history_, &event, H_SETSIZE, 500);
    el_set(editor_, EL_EDITOR, "emacs");
    el_set(editor_, EL_HIST, history, history_);
    el_set(editor_, EL_PROMPT, &PromptText);
    el_set(editor_, EL_SIGNAL, 0);
    el_set(editor_, EL_CLIENTDATA, this);
    el_set(editor_, EL_GETCFN, &ReadCharacter);
    for (const char* key : {"^[0", "^[1", "^[2", "^[3", "^[4", "^[5", "^[6", "^[7", "^[8", "^[9", "^[-"})
      el_set(editor_, EL_BIND, key, "ed-unassigned", nullptr);
    struct sigaction action {};
    action.sa_handler = OnResize;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGWINCH, &action, nullptr);
  }
  ~Prompt() override {
    el_end(editor_);
    history_end(history_);
  }
  Prompt(const Prompt&) = delete;
  Prompt& operator=(const Prompt&) = delete;

  InputLine Next() override {
    InputLine line;
    characters_ = 0;
    cutShort_ = false;
    if (beforeWait_) beforeWait_();
    int count = 0;
    const char* text = el_gets(editor_, &count);
    if (text == nullptr) {
      if (bytes_.Error() != 0) {
        line.kind = InputLine::Kind::kError;
        line.error = bytes_.Error();
      }
      return line;
    }
    line.kind = InputLine::Kind::kLine;
    line.text.assign(text, static_cast<size_t>(count));
    while (!line.text.empty() && (line.text.back() == '\n' || line.text.back() == '\r')) line.text.pop_back();
    line.cutShort = cutShort_;
    HistEvent event;
    if (!line.text.empty() && !cutShort_) history(history_, &event, H_ENTER, line.text.c_str());
    return line;
  }

 private:
  static const char* PromptText(EditLine*) { return "tarvo> "; }

  static int ReadCharacter(EditLine* editor, wchar_t* out) {
    Prompt* self = nullptr;
    el_get(editor, EL_CLIENTDATA, &self);
    return self->Decode(out);
  }

  // 1 with a character, 0 at the end of the input, -1 on a failed read.
  int Decode(wchar_t* out) {
    if (resized != 0) {
      resized = 0;
      el_resize(editor_);
    }
    for (;;) {
      // The line as the editor holds it: a yank can grow it by more than
      // the characters typed.
      const LineInfoW* held = el_wline(editor_);
      const size_t length = held != nullptr ? static_cast<size_t>(held->lastchar - held->buffer) : 0;
      if (characters_ >= kMaxLineCharacters || length >= kMaxLineCharacters) {
        cutShort_ = true;
        characters_ = 0;
        if (!bytes_.SkipLine()) return bytes_.Error() != 0 ? -1 : 0;
        *out = L'\n';
        return 1;
      }
      const int c = bytes_.Next();
      if (c < 0) return c == InputBytes::kFailed ? -1 : 0;
      const char byte = static_cast<char>(c);
      wchar_t wide = 0;
      const size_t n = std::mbrtowc(&wide, &byte, 1, &state_);
      if (n == static_cast<size_t>(-2)) continue;  // more bytes of this character to come
      if (n == static_cast<size_t>(-1)) {
        state_ = {};
        wide = L'\uFFFD';
      }
      characters_ = (wide == L'\n' || wide == L'\r') ? 0 : characters_ + 1;
      *out = wide;
      return 1;
    }
  }

  BeforeWait beforeWait_;
  EditLine* editor_ = nullptr;
  History* history_ = nullptr;
  InputBytes bytes_;
  std::mbstate_t state_{};
  size_t characters_ = 0;
  bool cutShort_ = false;
};

#else

class Prompt : public Plain {
 public:
  Prompt(BeforeWait beforeWait, const volatile std::sig_atomic_t* stop)
      : Plain(beforeWait, stop), beforeWait_(std::move(beforeWait)) {}
  InputLine Next() override {
    if (beforeWait_) beforeWait_();  // the results before the prompt
    std::cout << "tarvo> " << std::flush;
    return Plain::Next();
  }

 private:
  BeforeWait beforeWait_;
};

#endif

}  // namespace

std::unique_ptr<LineSource> PlainLines(BeforeWait beforeWait, const volatile std::sig_atomic_t* stop) {
  return std::make_unique<Plain>(std::move(beforeWait), stop);
}
std::unique_ptr<LineSource> PromptLines(BeforeWait beforeWait, const volatile std::sig_atomic_t* stop) {
  return std::make_unique<Prompt>(std::move(beforeWait), stop);
}

}  // namespace tarvo::cli
