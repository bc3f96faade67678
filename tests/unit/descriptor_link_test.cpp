#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/descriptor_link.hpp"

namespace drosk::platform {
namespace {

// Links one at a time, as on a kernel without openat2: the answer must be the kernel's.
TEST(DescriptorLink, FollowedOneAtATimeAsTheKernelSays) {
  if (!std::filesystem::exists("/proc/self/fd")) GTEST_SKIP() << "needs Linux's /proc";
  char made[] = "/tmp/drosk-link-XXXXXX";
  ASSERT_NE(mkdtemp(made), nullptr);
  std::filesystem::path dir = made;
  std::filesystem::create_directory(dir / "sub");
  std::filesystem::create_symlink("/proc/self/fd/0", dir / "stdin");
  std::filesystem::create_symlink("../stdin", dir / "sub" / "again");  // a relative link to it
  std::filesystem::create_symlink("sub", dir / "up");
  std::filesystem::create_symlink("/proc/self/fd", dir / "fds");
  std::filesystem::create_symlink("files.txt", dir / "plain");
  for (const char* name : {"stdin", "sub/again", "up/again", "fds/0"}) {
    std::string path = (dir / name).string();
    EXPECT_TRUE(through_proc_link(path)) << name;
    EXPECT_TRUE(through_descriptor_link(path)) << name;
  }
  for (const char* name : {"plain", "up", "sub/missing"}) {
    std::string path = (dir / name).string();
    EXPECT_FALSE(through_proc_link(path)) << name;
    EXPECT_FALSE(through_descriptor_link(path)) << name;
  }
  // A loop of links ends the walk, as it ends the kernel's.
  std::filesystem::create_symlink("loop", dir / "loop");
  EXPECT_FALSE(through_proc_link((dir / "loop").string()));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace drosk::platform
