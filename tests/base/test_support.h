// Shared test helpers: a fresh engine for every test, and token strings
// written readably.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "engine/state.h"

namespace tarvo::test {

// Every test starts from a freshly started engine of its own.
class FreshEngine : public ::testing::Test {
 protected:
  Engine engine;
};

// Token strings in a readable notation: {N} is the byte with code N
// ("2{24}x:" is 2, ImplicitProduct, x, end mark).
inline std::string Tok(std::string_view readable) {
  std::string out;
  for (size_t i = 0; i < readable.size(); ++i) {
    if (readable[i] == '{') {
      size_t close = readable.find('}', i);
      out += static_cast<char>(std::stoi(std::string(readable.substr(i + 1, close - i - 1))));
      i = close;
    } else {
      out += readable[i];
    }
  }
  return out;
}

// The inverse, for failure messages: bytes >= 128 or < 32 as {N}.
inline std::string Readable(std::string_view bytes) {
  std::string out;
  for (char ch : bytes) {
    const int c = static_cast<unsigned char>(ch);
    if (c < 32 || c >= 128) out += "{" + std::to_string(c) + "}";
    else out += ch;
  }
  return out;
}

}  // namespace tarvo::test
