#include "engine/bytes.h"

namespace tarvo {

std::string Mid(std::string_view s, long start, long len) {
  if (start < 1) start = 1;
  const long size = static_cast<long>(s.size());
  if (start > size) return {};
  long avail = size - start + 1;
  if (len < 0 || len > avail) len = avail;
  return std::string(s.substr(static_cast<size_t>(start - 1), static_cast<size_t>(len)));
}

std::string Left(std::string_view s, long n) {
  if (n <= 0) return {};
  return std::string(s.substr(0, static_cast<size_t>(n)));
}

std::string Right(std::string_view s, long n) {
  if (n <= 0) return {};
  if (static_cast<size_t>(n) >= s.size()) return std::string(s);
  return std::string(s.substr(s.size() - static_cast<size_t>(n)));
}

long InStr(std::string_view s, std::string_view what, long start) {
  if (start < 1) start = 1;
  if (static_cast<size_t>(start - 1) > s.size()) return 0;
  size_t p = s.find(what, static_cast<size_t>(start - 1));
  return p == std::string_view::npos ? 0 : static_cast<long>(p) + 1;
}

long InStrNoCase(std::string_view s, std::string_view what, long start) {
  return InStr(Lower(s), Lower(what), start);
}

std::string Replace(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string out;
  out.reserve(s.size());
  size_t pos = 0;
  for (;;) {
    size_t hit = s.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(s.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(s.substr(pos));
  return out;
}

std::string ReplaceNoCase(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  const std::string ls = Lower(s);
  const std::string lf = Lower(from);
  // Lower-casing keeps one byte per byte, so positions in ls are positions in s.
  std::string out;
  out.reserve(s.size());
  size_t pos = 0;
  for (;;) {
    size_t hit = ls.find(lf, pos);
    if (hit == std::string::npos) break;
    out.append(s.substr(pos, hit - pos));
    out.append(to);
    pos = hit + lf.size();
  }
  out.append(s.substr(pos));
  return out;
}

char LowerByte(char ch) {
  const int c = Code(ch);
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char>(c + 32);
  switch (c) {
    case 0x8A: return static_cast<char>(0x9A);
    case 0x8C: return static_cast<char>(0x9C);
    case 0x8E: return static_cast<char>(0x9E);
    case 0x9F: return static_cast<char>(0xFF);
    default: return ch;
  }
}

char UpperByte(char ch) {
  const int c = Code(ch);
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char>(c - 32);
  switch (c) {
    case 0x9A: return static_cast<char>(0x8A);
    case 0x9C: return static_cast<char>(0x8C);
    case 0x9E: return static_cast<char>(0x8E);
    case 0xFF: return static_cast<char>(0x9F);
    default: return ch;
  }
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerByte(c);
  return out;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = UpperByte(c);
  return out;
}

std::string LTrim(std::string_view s) {
  size_t b = s.find_first_not_of(' ');
  return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}

std::string RTrim(std::string_view s) {
  size_t e = s.find_last_not_of(' ');
  return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

std::string Trim(std::string_view s) {
  // One copy: the processing cycle trims every entry several times.
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return std::string();
  return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

}  // namespace tarvo
