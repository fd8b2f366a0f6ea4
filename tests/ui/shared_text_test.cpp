// The controls' stored texts: exact copies, no cost for an unchanged write, and safe reading
// while another thread keeps replacing the text (run under AddressSanitizer in the native build).
#include "ui/shared_text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "runtime/memory.h"

namespace {

std::string Current(const ui::SharedText& text) {
  return text.Read([](const char* bytes, size_t length) { return std::string(bytes, length); });
}

TEST(SharedText, StoresCopiesAndTreatsNullAsEmpty) {
  std::string source = "下载进度：";
  ui::SharedText text(source.c_str());
  source[0] = 'x';
  EXPECT_EQ(Current(text), "下载进度：");
  EXPECT_FALSE(text.Store("下载进度：")) << "an equal text is not stored again";
  EXPECT_TRUE(text.Store(nullptr));
  EXPECT_EQ(text.Length(), 0u);
  EXPECT_EQ(text.Copy(), nullptr) << "an empty text is copied as null";
  EXPECT_FALSE(text.Store(""));
}

TEST(SharedText, CopiesBelongToTheCallerAndCopyToCutsAtTheCapacity) {
  ui::SharedText text("已下载:10KB");
  char* copy = text.Copy();
  ASSERT_NE(copy, nullptr);
  text.Store("已下载:20KB");
  EXPECT_STREQ(copy, "已下载:10KB");
  rt::RuntimeFree(copy);

  char small[5];
  EXPECT_EQ(text.CopyTo(small, sizeof small), 4u);
  EXPECT_EQ(std::memcmp(small, "已下", 4), 0);
  EXPECT_EQ(small[4], '\0');
  EXPECT_EQ(text.CopyTo(small, 0), 0u);
}

TEST(SharedText, ReadersSeeWholeTextsWhileAWriterReplacesThem) {
  const std::vector<std::string> texts = {"", "a", "下载速度:0KB/S", std::string(300, 'z'), "剩余时间:1分2秒"};
  ui::SharedText text(texts[0].c_str());
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0};
  std::vector<std::thread> readers;
  for (int r = 0; r < 2; ++r) {
    readers.emplace_back([&] {
      while (!stop) {
        const std::string seen = Current(text);
        bool known = false;
        for (const std::string& t : texts) known = known || seen == t;
        if (!known) ++torn;
        if (char* copy = text.Copy()) rt::RuntimeFree(copy);
      }
    });
  }
  for (int i = 0; i < 20000; ++i) text.Store(texts[i % texts.size()].c_str());
  stop = true;
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(torn.load(), 0);
  // With no reader left, the next write frees whatever was kept back for them.
  text.Store("done");
  EXPECT_EQ(ui::SharedText::RetiredCount(), 0u);
}

}  // namespace
