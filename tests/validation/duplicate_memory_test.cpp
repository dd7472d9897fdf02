#include "validation/duplicate_memory.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

namespace quorvel {
namespace {

TEST(DuplicateMemory, RemembersEveryTextThroughGrowth) {
  DuplicateMemory m;
  for (int i = 0; i < 200000; ++i)
    ASSERT_TRUE(m.insert("user" + std::to_string(i) + "@x.com")) << i;
  for (int i = 0; i < 200000; i += 7)
    ASSERT_FALSE(m.insert("user" + std::to_string(i) + "@x.com")) << i;
  EXPECT_EQ(m.size(), 200000u);
  EXPECT_FALSE(m.contains("user200000@x.com"));
  EXPECT_TRUE(m.insert(""));  // the empty text is a text like any other
  EXPECT_FALSE(m.insert(""));
}

TEST(DuplicateMemory, TextsLongerThanAnArenaChunk) {
  DuplicateMemory m;
  std::string big(3 << 20, 'a');
  EXPECT_TRUE(m.insert(big));
  EXPECT_TRUE(m.insert("a@b.com"));
  big.back() = 'b';
  EXPECT_TRUE(m.insert(big));
  big.back() = 'a';
  EXPECT_FALSE(m.insert(big));
  EXPECT_FALSE(m.insert("a@b.com"));
}

TEST(DuplicateMemory, ExhaustedMemoryLeavesTheSetUsable) {
  DuplicateMemory m;
  m.setLimiteBytes(m.memoryBytes() + 1000);
  EXPECT_THROW(m.insert("a@b.com"), std::bad_alloc);
  EXPECT_EQ(m.size(), 0u);
  m.setLimiteBytes(0);
  EXPECT_TRUE(m.insert("a@b.com"));
  m.clear();
  EXPECT_TRUE(m.insert("a@b.com"));
}

}  // namespace
}  // namespace quorvel
