#include "codecs/CodecStatus.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace twick {
namespace {

TEST(CodecStatusTest, EveryStatusHasItsOwnName) {
  std::set<std::string> names;
  for (auto status :
       {CodecStatus::NeedMore, CodecStatus::Done, CodecStatus::Gap, CodecStatus::CutShort,
        CodecStatus::DataLost, CodecStatus::ChecksWrong, CodecStatus::NotData})
    names.insert(CodecStatusName(status));
  EXPECT_EQ(names.size(), 7u);
  EXPECT_EQ(names.count("?"), 0u);
}

}  // namespace
}  // namespace twick
