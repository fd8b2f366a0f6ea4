#include <gtest/gtest.h>

#include <string>

#include "runtime/file_hash.h"
#include "tests/driver/driver.h"
#include "tests/driver/test_files.h"
#include "tests/runtime/runtime_test_support.h"

namespace rt {
namespace {

using testing::TakeText;
using testing::Txt;

TEST(FileSha256, KnownDigestsAndMissingFiles) {
  driver::TempDirectory dir("hash");
  driver::WriteWholeFile(dir / "abc", "abc");
  EXPECT_EQ(TakeText(CallText(FileSha256, Txt(dir / "abc"))).text,
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  driver::WriteWholeFile(dir / "empty", "");
  EXPECT_EQ(TakeText(CallText(FileSha256, Txt(dir / "empty"))).text,
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  // Larger than one read: a million "a" bytes.
  driver::WriteWholeFile(dir / "million", std::string(1000000, 'a'));
  EXPECT_EQ(TakeText(CallText(FileSha256, Txt(dir / "million"))).text,
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  EXPECT_TRUE(TakeText(CallText(FileSha256, Txt(dir / "missing"))).null);
}

}  // namespace
}  // namespace rt
