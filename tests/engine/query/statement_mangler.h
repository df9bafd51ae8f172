#pragma once
// Statements mangled at random for the robustness tests: one to three
// edits of a statement's words (a word dropped, doubled, swapped with
// another or replaced by one of `replacements`), the words joined again.
#include <cstddef>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace dvx::test {

template <size_t N>
std::string MangledStatement(const std::string& text, std::mt19937& random, const char* const (&replacements)[N]) {
  std::istringstream in(text);
  std::vector<std::string> tokens;
  for (std::string t; in >> t;) tokens.push_back(t);
  for (int edits = 1 + static_cast<int>(random() % 3); edits > 0 && !tokens.empty(); --edits) {
    const size_t at = random() % tokens.size();
    switch (random() % 4) {
      case 0: tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(at)); break;
      case 1: tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(at), tokens[at]); break;
      case 2: std::swap(tokens[at], tokens[random() % tokens.size()]); break;
      default: tokens[at] = replacements[random() % N];
    }
  }
  std::string sql;
  for (const std::string& t : tokens) sql += t + " ";
  return sql;
}

}  // namespace dvx::test
