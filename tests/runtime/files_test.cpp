#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "runtime/bytes_ops.h"
#include "runtime/durable_files.h"
#include "runtime/files.h"
#include "runtime/held_file.h"
#include "runtime/open_files.h"
#include "runtime/program_path.h"
#include "tests/driver/driver.h"
#include "tests/driver/test_files.h"
#include "tests/runtime/runtime_test_support.h"

namespace rt {
namespace {

using testing::Txt;

DWORD WINAPI CloseOnThread(void* number) {
  Call(CloseFile, Int(static_cast<int32_t>(reinterpret_cast<intptr_t>(number))));
  return 0;
}

class FileTest : public ::testing::Test {
 protected:
  driver::TempDirectory dir_{"files"};
  std::string Path(const std::string& name) const { return dir_ / name; }

  int32_t Open(const std::string& path, ArgRecord mode = Omitted(), ArgRecord share = Omitted()) {
    return CallInt(OpenFile, Txt(path), mode, share);
  }
  static bool Write(int32_t file, const std::string& data) {
    OwnedBytes bytes(NewBytes(data.data(), static_cast<int32_t>(data.size())));
    return CallBool(WriteData, Int(file), BytesArg(bytes));
  }
  static void Close(int32_t file) { Call(CloseFile, Int(file)); }
  std::string Contents(const std::string& name) const { return driver::ReadWholeFile(Path(name)).value_or("<none>"); }
};

TEST_F(FileTest, RunDirectoryIsANewCopyWithoutTrailingSeparator) {
  SetProgramPath("C:\\Tools\\CorvaneUpdater.exe");
  OwnedText first = CallText(GetRunDirectory);
  OwnedText second = CallText(GetRunDirectory);
  EXPECT_STREQ(first.c_str(), "C:\\Tools");
  EXPECT_NE(first.get(), second.get());
  SetProgramPath("C:\\CorvaneUpdater.exe");
  EXPECT_STREQ(CallText(GetRunDirectory).c_str(), "C:");
  SetProgramPath("CorvaneUpdater.exe");
  EXPECT_EQ(CallText(GetRunDirectory).get(), nullptr);
}

TEST_F(FileTest, RemoveRenameReplaceAndExists) {
  driver::WriteWholeFile(Path("a.txt"), "old");
  driver::WriteWholeFile(Path("b.txt"), "new");
  EXPECT_FALSE(CallBool(RenameFile, Txt(Path("b.txt")), Txt(Path("a.txt"))));  // never replaces
  EXPECT_EQ(Contents("a.txt"), "old");
  EXPECT_EQ(Contents("b.txt"), "new");
  EXPECT_TRUE(CallBool(RenameFile, Txt(Path("b.txt")), Txt(Path("c.txt"))));
  EXPECT_TRUE(CallBool(ReplaceFileWith, Txt(Path("c.txt")), Txt(Path("a.txt"))));
  EXPECT_EQ(Contents("a.txt"), "new");
  EXPECT_FALSE(CallBool(FileExists, Txt(Path("c.txt"))));
  EXPECT_TRUE(CallBool(RemoveFile, Txt(Path("a.txt"))));
  EXPECT_FALSE(CallBool(RemoveFile, Txt(Path("a.txt"))));
  // A doubled separator inside the path names the same file.
  driver::WriteWholeFile(Path("d.txt"), "x");
  EXPECT_TRUE(CallBool(FileExists, Txt(dir_.path() + "\\\\d.txt")));
}

TEST_F(FileTest, AReadOnlyFileIsNotReplaced) {
  driver::WriteWholeFile(Path("target"), "protected");
  driver::WriteWholeFile(Path("source"), "new");
  ASSERT_TRUE(SetFileAttributesA(Path("target").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(CallBool(ReplaceFileWith, Txt(Path("source")), Txt(Path("target"))));
  EXPECT_EQ(Contents("target"), "protected");
  EXPECT_EQ(Contents("source"), "new");
  SetFileAttributesA(Path("target").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// What the checks read is what the move installs: nobody writes, renames or deletes a held file,
// and the move takes it through the handle.
TEST_F(FileTest, AHeldFileIsChangedByNobodyAndMovedAsItWasHeld) {
  driver::WriteWholeFile(Path("更新文件.tmp"), "checked");
  driver::WriteWholeFile(Path("Corvane.exe"), "old");
  const HeldFile held(CallInt(HoldFile, Txt(Path("更新文件.tmp"))));
  ASSERT_TRUE(held);
  HANDLE writer = CreateFileA(Path("更新文件.tmp").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(Open(Path("更新文件.tmp"), Int(2)), 0) << "nor through the file numbers";
  EXPECT_EQ(CallInt(FileSize, Int(held.get())), 7);

  // Neither moved away (to put another file under its name) nor deleted.
  EXPECT_FALSE(MoveFileA(Path("更新文件.tmp").c_str(), Path("elsewhere").c_str()));
  EXPECT_FALSE(DeleteFileA(Path("更新文件.tmp").c_str()));
  EXPECT_EQ(Contents("更新文件.tmp"), "checked") << "others may read it";
  ASSERT_TRUE(SetFileAttributesA(Path("Corvane.exe").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(CallBool(ReplaceFileWith, Int(held.get()), Txt(Path("Corvane.exe"))));
  EXPECT_EQ(Contents("Corvane.exe"), "old");
  SetFileAttributesA(Path("Corvane.exe").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(CallBool(ReplaceFileWith, Int(held.get()), Txt(Path("Corvane.exe"))));
  EXPECT_EQ(Contents("Corvane.exe"), "checked");
  EXPECT_FALSE(CallBool(FileExists, Txt(Path("更新文件.tmp"))));
  EXPECT_FALSE(CallBool(FileExists, Txt(Path("elsewhere"))));
}

// A copy of more than one chunk is whole, a copy over a read-only file or from a missing one is
// none, and a held file (read-only to everyone else) can still be flushed by its holder.
TEST_F(FileTest, DurableCopiesAndTextsAreWholeOrNone) {
  std::string big(200000, 'a');
  big.back() = 'z';
  driver::WriteWholeFile(Path("big"), big);
  driver::WriteWholeFile(Path("copy"), "earlier, and longer than nothing");
  EXPECT_TRUE(CallBool(CopyFileDurably, Txt(Path("big")), Txt(Path("copy"))));
  EXPECT_EQ(Contents("copy"), big);
  EXPECT_FALSE(CallBool(CopyFileDurably, Txt(Path("missing")), Txt(Path("copy"))));
  EXPECT_EQ(Contents("copy"), big);
  ASSERT_TRUE(SetFileAttributesA(Path("copy").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(CallBool(CopyFileDurably, Txt(Path("big")), Txt(Path("copy"))));
  EXPECT_FALSE(CallBool(WriteTextFileDurably, Txt(Path("copy")), Txt("text")));
  SetFileAttributesA(Path("copy").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(CallBool(WriteTextFileDurably, Txt(Path("copy")), Txt("[a]\r\nb=c\r\n")));
  EXPECT_EQ(Contents("copy"), "[a]\r\nb=c\r\n");

  const HeldFile held(CallInt(HoldFile, Txt(Path("big"))));
  EXPECT_TRUE(CallBool(FlushFile, Int(held.get())));
  EXPECT_FALSE(CallBool(FlushFile, Int(0)));
}

TEST_F(FileTest, AFileThatIsBeingWrittenIsNotHeld) {
  const int32_t writer = Open(Path("更新文件.tmp"), Int(4));
  ASSERT_NE(writer, 0);
  EXPECT_EQ(CallInt(HoldFile, Txt(Path("更新文件.tmp"))), 0);
  EXPECT_EQ(CallInt(HoldFile, Txt(Path("missing"))), 0);
  Close(writer);
  const HeldFile held(CallInt(HoldFile, Txt(Path("更新文件.tmp"))));
  EXPECT_TRUE(held);
  EXPECT_EQ(CallInt(FileSize, Int(held.get())), 0);
}

TEST_F(FileTest, ExistsMatchesDirectoriesAndWildcards) {
  EXPECT_TRUE(CallBool(FileExists, Txt(dir_.path())));
  EXPECT_FALSE(CallBool(FileExists, Txt(Path("*.tmp"))));
  driver::WriteWholeFile(Path("更新文件.tmp"), "");
  EXPECT_TRUE(CallBool(FileExists, Txt(Path("*.tmp"))));
  EXPECT_FALSE(CallBool(FileExists, Txt(Path("missing"))));
}

TEST_F(FileTest, SizeOfFilesAndNotOfDirectories) {
  driver::WriteWholeFile(Path("five"), "12345");
  EXPECT_EQ(CallInt(FileSize, Txt(Path("five"))), 5);
  driver::WriteWholeFile(Path("empty"), "");
  EXPECT_EQ(CallInt(FileSize, Txt(Path("empty"))), 0);
  EXPECT_EQ(CallInt(FileSize, Txt(Path("missing"))), -1);
  EXPECT_EQ(CallInt(FileSize, Txt(dir_.path())), -1);
}

TEST_F(FileTest, AGbkDirectoryWhoseTrailByteIs5CStaysWhole) {
  const std::string gbkDir = dir_.path() + "\\\x87\x5C";
  ASSERT_TRUE(CreateDirectoryA(gbkDir.c_str(), nullptr));
  SetProgramPath((gbkDir + "\\CorvaneUpdater.exe").c_str());
  OwnedText run = CallText(GetRunDirectory);
  EXPECT_EQ(std::string(run.c_str()), gbkDir);
  const std::string file = std::string(run.c_str()) + "\\gx.ini";
  driver::WriteWholeFile(file, "[gx]\r\n");
  EXPECT_TRUE(CallBool(FileExists, Txt(file)));
  EXPECT_TRUE(CallBool(RemoveFile, Txt(file)));
}

TEST_F(FileTest, OpenRejectsBadArgumentsWithoutTouchingTheFileSystem) {
  const std::string path = Path("untouched");
  EXPECT_EQ(Open(""), 0);
  EXPECT_EQ(Open(path, Int(0)), 0);
  EXPECT_EQ(Open(path, Int(7)), 0);
  EXPECT_EQ(Open(path, Int(4), Int(0)), 0);
  EXPECT_EQ(Open(path, Int(4), Int(5)), 0);
  EXPECT_FALSE(driver::FileExistsAt(path));
  EXPECT_EQ(Open(path, Int(1)), 0);  // mode 1 opens existing files only
  EXPECT_EQ(Open(path), 0);          // the default mode 3 as well
  EXPECT_FALSE(driver::FileExistsAt(path));
}

TEST_F(FileTest, RewriteEmptiesAndKeepModesKeepContentsStartingAtZero) {
  driver::WriteWholeFile(Path("f"), "abcdef");
  int32_t file = Open(Path("f"), Int(5));
  ASSERT_NE(file, 0);
  EXPECT_TRUE(Write(file, "XY"));  // position 0 before any seek
  Close(file);
  EXPECT_EQ(Contents("f"), "XYcdef");

  file = Open(Path("f"), Int(6));
  EXPECT_TRUE(CallBool(SeekToEnd, Int(file)));
  EXPECT_TRUE(Write(file, "!"));
  EXPECT_TRUE(CallBool(SeekToStart, Int(file)));
  EXPECT_TRUE(Write(file, "x"));
  EXPECT_TRUE(CallBool(SeekFile, Int(file), Int(2), Int(-2)));  // two before the end
  EXPECT_TRUE(Write(file, "_"));
  EXPECT_FALSE(CallBool(SeekFile, Int(file), Int(4), Int(0)));   // no such method
  Close(file);
  EXPECT_EQ(Contents("f"), "xYcde_!");

  file = Open(Path("f"), Int(5));
  EXPECT_TRUE(CallBool(SeekFile, Int(file), Int(1), Int(3)));
  EXPECT_TRUE(CallBool(SetFileEnd, Int(file)));
  Close(file);
  EXPECT_EQ(Contents("f"), "xYc");

  file = Open(Path("f"), Int(4));
  Close(file);
  EXPECT_EQ(Contents("f"), "");
  file = Open(Path("new"), Int(5));  // created when missing
  ASSERT_NE(file, 0);
  Close(file);
  EXPECT_TRUE(driver::FileExistsAt(Path("new")));
}

TEST_F(FileTest, SeveralBlocksAnEmptyOneAndTheWriteResult) {
  const int32_t file = Open(Path("blocks"), Int(4));
  OwnedBytes first(NewBytes("one,", 4));
  OwnedBytes second(NewBytes("two", 3));
  EXPECT_TRUE(CallBool(WriteData, Int(file), BytesArg(first), BytesArg(&EmptyBytes), BytesArg(second)));
  EXPECT_TRUE(CallBool(WriteData, Int(file), BytesArg(&EmptyBytes)));
  Close(file);
  EXPECT_EQ(Contents("blocks"), "one,two");
  EXPECT_FALSE(CallBool(WriteData, Int(file), BytesArg(first)));  // closed: not in the table
}

TEST_F(FileTest, AFailedWriteMovesBackToWhereItStarted) {
  driver::WriteWholeFile(Path("ro"), "keep");
  const int32_t file = Open(Path("ro"), Int(1));  // read only: every write fails
  ASSERT_NE(file, 0);
  EXPECT_TRUE(CallBool(SeekFile, Int(file), Int(1), Int(2)));
  EXPECT_FALSE(Write(file, "zz"));
  Close(file);
  EXPECT_EQ(Contents("ro"), "keep");
}

TEST_F(FileTest, ShareModesAllowOrRefuseASecondOpener) {
  const std::string path = Path("shared");
  struct Case {
    int32_t share;
    bool othersRead;
    bool othersWrite;
  } cases[] = {{1, true, true}, {2, false, true}, {3, true, false}, {4, false, false}};
  for (const Case& c : cases) {
    const int32_t file = Open(path, Int(6), Int(c.share));
    ASSERT_NE(file, 0) << c.share;
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(reader != INVALID_HANDLE_VALUE, c.othersRead) << "share " << c.share;
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer != INVALID_HANDLE_VALUE, c.othersWrite) << "share " << c.share;
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    Close(file);
  }
  // The default share lets nobody delete the file while it is open.
  const int32_t file = Open(path, Int(4));
  EXPECT_FALSE(CallBool(RemoveFile, Txt(path)));
  Close(file);
  EXPECT_TRUE(CallBool(RemoveFile, Txt(path)));
}

TEST_F(FileTest, CloseIsIdempotentAndNumbersAreNotReused) {
  const int32_t file = Open(Path("c"), Int(4));
  Close(file);
  Close(file);
  Close(0);
  EXPECT_FALSE(CallBool(SeekToEnd, Int(file)));
  EXPECT_FALSE(CallBool(SeekToEnd, Int(0)));
  EXPECT_FALSE(CallBool(SeekToEnd, Int(12345)));
}

TEST_F(FileTest, AStaleNumberNeverReachesAFileOpenedLater) {
  const int32_t first = Open(Path("first"), Int(4));
  Close(first);
  const int32_t second = Open(Path("second"), Int(4));
  ASSERT_NE(second, 0);
  EXPECT_NE(second, first);
  Close(first);  // the old number again: nothing happens to the new file
  EXPECT_TRUE(Write(second, "still open"));
  Close(second);
  EXPECT_EQ(Contents("second"), "still open");
}

TEST_F(FileTest, TwoThreadsClosingTheSameFileCloseItOnce) {
  for (int round = 0; round < 50; ++round) {
    const int32_t file = Open(Path("race"), Int(4));
    ASSERT_NE(file, 0);
    HANDLE threads[2];
    for (HANDLE& thread : threads) {
      thread = CreateThread(nullptr, 0, CloseOnThread, reinterpret_cast<void*>(static_cast<intptr_t>(file)), 0, nullptr);
    }
    WaitForMultipleObjects(2, threads, TRUE, 5000);
    for (HANDLE thread : threads) CloseHandle(thread);
    EXPECT_TRUE(CallBool(RemoveFile, Txt(Path("race"))));  // closed for real
  }
}

}  // namespace
}  // namespace rt
