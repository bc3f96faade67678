#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/run_command.hpp"

namespace drosk {
namespace {

std::vector<std::string> lines_of(const std::string& name) {
  std::ifstream in(name);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> drosk_entries(const std::string& env_file) {
  std::vector<std::string> found;
  for (const std::string& line : lines_of(env_file)) {
    if (line.starts_with("DROSK_COMPILE")) found.push_back(line);
  }
  return found;
}

TEST(RunCommand, ExtraEnvironmentEntryReplacesAnInheritedOneForTheCommandAlone) {
  std::string env_file = testing::TempDir() + "drosk_run_command_env";
  setenv("DROSK_COMPILE_X", "kept", 1);
  for (const char* inherited : {"0", static_cast<const char*>(nullptr)}) {
    if (inherited)
      setenv("DROSK_COMPILE", inherited, 1);
    else
      unsetenv("DROSK_COMPILE");
    EXPECT_EQ(platform::run_command("env >'" + env_file + "'", {"DROSK_COMPILE", "1"}).status, 0);
    std::vector<std::string> entries = drosk_entries(env_file);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"DROSK_COMPILE=1", "DROSK_COMPILE_X=kept"}));
    // drosk's own environment is as it was.
    EXPECT_EQ(getenv("DROSK_COMPILE") ? std::string(getenv("DROSK_COMPILE")) : "(none)",
              inherited ? inherited : "(none)");
  }

  EXPECT_EQ(platform::run_command("env >'" + env_file + "'").status, 0);
  EXPECT_EQ(drosk_entries(env_file), std::vector<std::string>{"DROSK_COMPILE_X=kept"});
  unsetenv("DROSK_COMPILE_X");
  std::remove(env_file.c_str());
}

TEST(RunCommand, StatusOfTheCommandProcessor) {
  EXPECT_EQ(platform::run_command("true||EXIT 1").status, 0);
  EXPECT_EQ(platform::run_command("sh -c 'exit 3'").status, 3);
  EXPECT_EQ(platform::run_command("sh -c 'exit 3'||EXIT 1").status, 1);
  // A command killed by a signal fails like any other; a processor killed by one gives 128 + N,
  // as shells report it.
  EXPECT_EQ(platform::run_command("sh -c 'kill -KILL $$'||EXIT 1").status, 1);
  EXPECT_EQ(platform::run_command("kill -TERM $$||EXIT 1").status, 128 + 15);
}

}  // namespace
}  // namespace drosk
