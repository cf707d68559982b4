#include "app/temporary_name.h"

#include <gtest/gtest.h>

TEST(TemporaryNameTest, NamesAreKnownAgain) {
  EXPECT_EQ(TemporaryName("index.htm", 4321, 0), "index.htm.4321-0.tmp");
  EXPECT_TRUE(IsTemporaryName("index.htm.4321-0.tmp", "index.htm"));
  EXPECT_TRUE(
      IsTemporaryName(TemporaryName("پيش.htm", 4294967295u, 99), "پيش.htm"));
}

TEST(TemporaryNameTest, OnlyThisProgramsNamesForThatFileAreItsOwn) {
  // A later run removes files by these names, so anything else, however
  // alike, must not be taken for one.
  for (const char* name :
       {"index.htm", "index.htm.tmp", "index.htm.4321.tmp",
        "index.htm.4321-.tmp", "index.htm.-1.tmp", "index.htm.0-1.tmp",
        "index.htm.04321-1.tmp", "index.htm.4321-1.tmp~",
        "index.htm.43x1-1.tmp", "index.htm.+4321-1.tmp",
        "index.htm.99999999999-1.tmp", "other.htm.4321-1.tmp",
        "xindex.htm.4321-1.tmp", "index.htm.4321-1-2.tmp",
        "index.htm.4321--1.tmp", "Index.htm.4321-1.tmp",
        "index.htm.4321-1.bak"})
    EXPECT_FALSE(IsTemporaryName(name, "index.htm")) << name;
}
