// The definition-path matcher, and the index that must pick the same first row as a linear
// search with it.
#include <gtest/gtest.h>

#include <random>

#include "scan/pattern_index.h"
#include "scan/pattern_match.h"

namespace scan {
namespace {

TEST(PatternMatchTest, StarsStopAtDotsAndSlashes) {
  EXPECT_TRUE(PatternMatch("*.exe", "setup.exe"));
  EXPECT_FALSE(PatternMatch("*", "setup.exe"));
  EXPECT_FALSE(PatternMatch("*.*", "a.b.c"));
  EXPECT_TRUE(PatternMatch("*.*", "a.b"));
  EXPECT_TRUE(PatternMatch("c:\\*\\x.dll", "c:\\dir\\x.dll"));
  EXPECT_FALSE(PatternMatch("c:\\*\\x.dll", "c:\\a\\b\\x.dll"));
  EXPECT_TRUE(PatternMatch("\x1A.dll", "hook.dll"));
}

TEST(PatternMatchTest, SlashesQuestionMarksEscapesAndCase) {
  EXPECT_FALSE(PatternMatch("a?c", "a\\c"));
  EXPECT_TRUE(PatternMatch("a?c", "abc"));
  EXPECT_TRUE(PatternMatch("a/b", "a\\b"));
  EXPECT_TRUE(PatternMatch("a`*b", "a*b"));
  EXPECT_FALSE(PatternMatch("a`*b", "axb"));
  EXPECT_TRUE(PatternMatch("SETUP.EXE", "setup.exe"));
  EXPECT_TRUE(PatternMatch("[ab]", "[ab]"));  // classes are only checked, not matched
}

TEST(PatternMatchTest, IllFormedAndEmptyPatterns) {
  EXPECT_FALSE(PatternMatch("abc!", "abc!"));
  EXPECT_FALSE(PatternMatch("abc`", "abc"));
  EXPECT_FALSE(PatternMatch("[abc", "[abc"));
  EXPECT_TRUE(PatternWellFormed("[!a-z`]]x"));
  EXPECT_FALSE(PatternWellFormed("[a-]"));
  EXPECT_TRUE(PatternMatch("", ""));
  EXPECT_FALSE(PatternMatch("a", ""));
  EXPECT_FALSE(PatternMatch("", "a"));
}

TEST(PatternIndexTest, PicksTheSameFirstRowAsALinearSearch) {
  std::mt19937 random(7);
  const std::vector<std::string> parts = {"a",   "b",  "ab", "x.dll", "*",         "?",     "*.exe",
                                          "a.b", "`*", "~1", "",      "setup.exe", "*.e?e", ".dll"};
  auto pick = [&] { return parts[random() % parts.size()]; };
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> patterns;
    for (int row = 0; row < 40; ++row) {
      std::string pattern = pick();
      for (int depth = random() % 3; depth > 0; --depth) pattern = pick() + "\\" + pattern;
      patterns.push_back(pattern);
    }
    PatternIndex index;
    index.Build(patterns);
    for (int probe = 0; probe < 40; ++probe) {
      std::string text = pick();
      for (int depth = random() % 3; depth > 0; --depth) text = pick() + "\\" + text;
      std::size_t linear = patterns.size();
      for (std::size_t row = 0; row < patterns.size() && linear == patterns.size(); ++row)
        if (PatternMatch(patterns[row], text)) linear = row;
      std::vector<std::size_t> candidates;
      index.Candidates(text, candidates);
      std::size_t indexed = patterns.size();
      for (std::size_t row : candidates)
        if (PatternMatch(patterns[row], text)) {
          indexed = row;
          break;
        }
      ASSERT_EQ(indexed, linear) << "text " << text;
    }
  }
}

}  // namespace
}  // namespace scan
