#include "shell/run_mode.h"

#include <gtest/gtest.h>

#include "shell/program_error.h"
#include "shell/window_handle.h"

namespace zm {
namespace {

TEST(RunMode, TheLastOfTheLettersAPCDecides) {
  const struct {
    const char* argument;
    uint8_t mode;
  } cases[] = {
      {"", rmConfigure},        {"/s", rmSaver},           {"/S", rmSaver},
      {"-s", rmSaver},          {"xyz", rmSaver},          {"/c", rmConfigure},
      {"/c:1234", rmConfigure}, {"-C", rmConfigure},       {"/p", rmPreview},
      {"/a", rmChangePassword}, {"/sa", rmChangePassword}, {"/ap", rmPreview},
      {"/pc", rmConfigure},     {"/cp", rmConfigure},      {"/ac", rmConfigure},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseRunMode(c.argument), c.mode) << c.argument;
}

TEST(WindowHandle, DecimalIntegersOnly) {
  EXPECT_EQ(ParseWindowHandle("1234"), 1234);
  EXPECT_EQ(ParseWindowHandle(" 42 "), 42);
  EXPECT_EQ(ParseWindowHandle("+7"), 7);
  EXPECT_EQ(ParseWindowHandle("-3"), -3);
  for (const char* bad : {"", "abc", "12x", "0x10", "+-1", "99999999999999999999"}) {
    try {
      ParseWindowHandle(bad);
      ADD_FAILURE() << bad;
    } catch (const ProgramError& e) {
      EXPECT_EQ(e.what(), "'" + std::string(bad) + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace zm
