#include "protocol/CommandLine.h"

#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "platform/FakeSystem.h"
#include "protocol/ScreenSaver.h"

namespace brelinde {
namespace {

struct ParseCase {
  std::vector<std::string> args;  // after the program's own name
  TRunMode mode;
  WindowHandle parent;
};

class ParseCommandLineTest : public ::testing::TestWithParam<ParseCase> {
 protected:
  void SetUp() override {
    RunMode = rmNone;
    ParentWindow = 0;
    fake_->foreground = 4242;
  }
  ScopedFakeSystem fake_;
};

TEST_P(ParseCommandLineTest, GivesModeAndHandle) {
  const ParseCase& c = GetParam();
  std::vector<std::string> args = {"brelinde"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  ParseCommandLine(args);
  EXPECT_EQ(RunMode, c.mode);
  EXPECT_EQ(ParentWindow, c.parent);
}

INSTANTIATE_TEST_SUITE_P(
    ScreensaverCommandLines, ParseCommandLineTest,
    ::testing::Values(
        ParseCase{{}, rmConfig, 0},
        ParseCase{{"/s"}, rmSaver, 0}, ParseCase{{"/S"}, rmSaver, 0}, ParseCase{{"-s"}, rmSaver, 0},
        ParseCase{{"s"}, rmSaver, 0}, ParseCase{{"//s"}, rmSaver, 0}, ParseCase{{" /s"}, rmSaver, 0},
        ParseCase{{"/Saver"}, rmSaver, 0}, ParseCase{{"-- s"}, rmSaver, 0},
        ParseCase{{"/s", "abc"}, rmSaver, 0},
        ParseCase{{"/p", "1234"}, rmPreview, 1234}, ParseCase{{"/P", "1234"}, rmPreview, 1234},
        ParseCase{{"/p:1234"}, rmPreview, 1234}, ParseCase{{"/l", "1234"}, rmPreview, 1234},
        ParseCase{{"/p", "0x10"}, rmPreview, 16}, ParseCase{{"/p", "$FFFFFFFF"}, rmPreview, -1},
        ParseCase{{"/c"}, rmConfig, 4242}, ParseCase{{"/c", "5678"}, rmConfig, 5678},
        ParseCase{{"/c:5678"}, rmConfig, 5678}, ParseCase{{"/c:0"}, rmConfig, 0},
        ParseCase{{"/a", "1234"}, rmChangePassword, 1234},
        ParseCase{{"1234"}, rmPreview, 1234}, ParseCase{{"-5"}, rmPreview, -5},
        ParseCase{{"/x"}, rmNone, 0}, ParseCase{{"/help"}, rmNone, 0},
        ParseCase{{"/d", "99"}, rmNone, 0}, ParseCase{{"/d", "abc"}, rmNone, 0},
        ParseCase{{"/p", "1234", "zzz"}, rmPreview, 1234},
        // Only separators: no mode letter, so the dialog without an owner.
        ParseCase{{"/"}, rmNone, 0}, ParseCase{{"-"}, rmNone, 0}, ParseCase{{"--"}, rmNone, 0},
        ParseCase{{" "}, rmNone, 0}));

TEST(ParseCommandLineErrors, HandleThatIsNoNumberRaisesTheConversionError) {
  ScopedFakeSystem fake;
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"brelinde", "/p"}, "'' ist kein gültiger Integerwert"},
      {{"brelinde", "/p", "abc"}, "'abc' ist kein gültiger Integerwert"},
      {{"brelinde", "/p:"}, "'' ist kein gültiger Integerwert"},
      {{"brelinde", "/c:abc"}, "'ABC' ist kein gültiger Integerwert"},
      {{"brelinde", "/a", "12x"}, "'12x' ist kein gültiger Integerwert"},
  };
  for (const auto& [args, message] : cases) {
    try {
      ParseCommandLine(args);
      ADD_FAILURE() << args[1] << " was accepted";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
}

TEST(IntegerSyntax, AcceptsExactlyTheStatedForms) {
  const std::vector<std::pair<std::string, std::optional<int32_t>>> cases = {
      {"0", 0}, {"1234", 1234}, {"   42", 42}, {"+7", 7}, {"-5", -5},
      {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}, {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt}, {"$10", 16}, {"x1f", 31}, {"X1F", 31}, {"0X10", 16},
      {"0x10", 16}, {"$FFFFFFFF", -1}, {"$80000000", INT32_MIN}, {"-$10", -16},
      {"$100000000", std::nullopt}, {"$", std::nullopt}, {"0x", std::nullopt}, {"", std::nullopt},
      {" ", std::nullopt}, {"-", std::nullopt}, {"12 ", std::nullopt}, {"1a", std::nullopt},
      {"\t12", std::nullopt}, {"$G", std::nullopt}, {"00000000000000000012", 12},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(TryStrToInt(text), expected) << "'" << text << "'";
}

TEST(SplitCommandLine, FollowsTheWindowsRules) {
  using V = std::vector<std::string>;
  const std::vector<std::pair<std::string, V>> cases = {
      {"brelinde.scr /s", V{"brelinde.scr", "/s"}},
      {"  brelinde.scr \t /p   1234  ", V{"brelinde.scr", "/p", "1234"}},
      {"\"C:\\Program Files\\b.scr\" /c:5", V{"C:\\Program Files\\b.scr", "/c:5"}},
      {"b \" /s\"", V{"b", " /s"}},
      {"b \"\" /s", V{"b", "/s"}},
      {"b a\"b c\"d", V{"b", "ab cd"}},
      {"b \"unterminated arg", V{"b", "unterminated arg"}},
      {"", V{}},
  };
  for (const auto& [raw, expected] : cases) EXPECT_EQ(SplitCommandLine(raw), expected) << raw;
}

}  // namespace
}  // namespace brelinde
