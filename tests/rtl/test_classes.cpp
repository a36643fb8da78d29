#include "rtl/Classes.h"
#include "rtl/Messages.h"
#include "rtl/SaveFile.h"
#include "rtl/SysUtils.h"

#include "FileBytes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace rtl;

class ListIndex : public ::testing::TestWithParam<int> {};

TEST_P(ListIndex, OutOfBoundsNamesTheIndex)
{
    TList list;
    TObject a, b;
    list.Add(&a);
    list.Add(&b);
    try {
        list.Get(GetParam());
        FAIL() << "no error";
    } catch (const EListError &e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(GetParam()) + ")");
    }
    EXPECT_THROW(list.Put(GetParam(), nullptr), EListError);
}

INSTANTIATE_TEST_SUITE_P(Bad, ListIndex, ::testing::Values(-1, 2, 1000));

TEST(List, AddGetPutClear)
{
    TList list;
    TObject a, b;
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&b), 1);
    EXPECT_EQ(list.Get(1), &b);
    list.Put(0, nullptr);
    EXPECT_EQ(list.Get(0), nullptr);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(MemoryStream, ShortReadStopsAtTheEnd)
{
    TMemoryStream s({1, 2, 3});
    unsigned char buf[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_EQ(s.Read(buf, 8), 3u);
    EXPECT_EQ(buf[2], 3);
    EXPECT_EQ(buf[3], 9); // the rest stays as it was
    s.SetPosition(1);
    EXPECT_THROW(s.ReadBuffer(buf, 3), EReadError);
}

TEST(MemoryStream, WriteInTheMiddleGrowsOnlyPastTheEnd)
{
    TMemoryStream s;
    s.WriteBuffer("abcd", 4);
    s.SetPosition(2);
    s.WriteBuffer("XYZ", 3);
    EXPECT_EQ(std::string(s.Bytes().begin(), s.Bytes().end()), "abXYZ");
    EXPECT_EQ(s.Position(), 5);
}

class FileStreamTest : public ::testing::Test {
protected:
    testsupport::TempDir scratch{"lumivex-rtl"};
    const fs::path &dir = scratch.Path();
};

TEST_F(FileStreamTest, CreateWriteReadBack)
{
    const std::string name = (dir / "a.bin").string();
    {
        TFileStream out(name, TFileMode::Create);
        out.WriteBuffer("hello", 5);
        out.Close();
    }
    TFileStream in(name, TFileMode::OpenRead);
    EXPECT_EQ(in.Size(), 5);
    char buf[5];
    in.ReadBuffer(buf, 5);
    EXPECT_EQ(std::string(buf, 5), "hello");
    EXPECT_EQ(in.Remaining(), 0);
}

// A pipe cannot go back: saying so beats reading the wrong bytes.
TEST_F(FileStreamTest, SeekThatCannotBeDoneIsAnError)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "ILDA", 4), 4);
    ::close(ends[1]);
    const std::string name = "/dev/fd/" + std::to_string(ends[0]);
    TFileStream s(name, TFileMode::OpenRead);
    ::close(ends[0]);
    char two[2];
    s.ReadBuffer(two, 2);
    try {
        s.SetPosition(0);
        FAIL() << "a pipe went back";
    } catch (const EStreamError &e) {
        EXPECT_EQ(e.Message(), "Cannot seek in " + name + ": Illegal seek");
    }
}

TEST_F(FileStreamTest, FailuresCarryThePlatformMessages)
{
    const std::string missing = (dir / "none" / "x.ild").string();
    try {
        TFileStream s(missing, TFileMode::Create);
        FAIL();
    } catch (const EFCreateError &e) {
        EXPECT_EQ(e.Message(), "Cannot create file " + missing);
    }
    EXPECT_THROW(TFileStream(dir.string(), TFileMode::Create), EFCreateError);
    try {
        TFileStream s(missing, TFileMode::OpenRead);
        FAIL();
    } catch (const EFOpenError &e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + missing);
    }
    EXPECT_THROW(TFileStream(dir.string(), TFileMode::OpenRead), EFOpenError);
}

TEST(Messages, RecorderCapturesAndRestores)
{
    std::vector<std::string> outer;
    auto previous = SetMessageHandler([&](const std::string &t) { outer.push_back(t); });
    {
        MessageRecorder rec;
        ShowMessage("one");
        ShowMessage("two");
        EXPECT_EQ(rec.Messages(), (std::vector<std::string>{"one", "two"}));
    }
    ShowMessage("three");
    EXPECT_EQ(outer, std::vector<std::string>{"three"});
    SetMessageHandler(previous);
}

// Keep never replaces a regular file: one there at the start is refused at
// once, one made by someone else while the bytes were written wins the race.
// Devices are still written in place.
TEST_F(FileStreamTest, KeepModeNeverReplacesAFile)
{
    using Existing = TSaveFileStream::TExisting;
    const std::string name = (dir / "out").string();
    {
        TSaveFileStream stream(name, "out", Existing::Keep);
        stream.WriteBuffer("mine", 4);
        testsupport::WriteFile(name, "theirs");
        EXPECT_THROW(stream.Commit(), EFileExistsError);
    }
    EXPECT_EQ(testsupport::ReadFile(name), "theirs");
    try {
        TSaveFileStream again(name, "out", Existing::Keep);
        FAIL() << "an existing file was taken";
    } catch (const EFileExistsError &e) {
        EXPECT_EQ(e.Message(), "out already exists");
    }
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0666), 0);
    const int reader = ::open((dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
    TSaveFileStream fifo((dir / "fifo").string(), "fifo", Existing::Keep);
    EXPECT_EQ(fifo.Way(), TSaveFileStream::TWay::InPlace);
    ::close(reader);
    EXPECT_EQ(testsupport::Listing(dir), (std::vector<std::string>{"fifo", "out"}));
}

// A pipe or FIFO gets the bytes as they come: a long stream to standard
// output never gathers in memory.
TEST_F(FileStreamTest, AFifoGetsItsBytesBeforeCommit)
{
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0666), 0);
    const int reader = ::open((dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    TSaveFileStream fifo((dir / "fifo").string(), "fifo");
    // As much as the pipe holds, then a little that waits for Commit.
    const std::string first(std::size_t{1} << 16, 'x'), last(10, 'y');
    fifo.WriteBuffer(first.data(), first.size());
    fifo.WriteBuffer(last.data(), last.size());
    std::string got(first.size() + last.size(), '\0');
    const ssize_t before = ::read(reader, got.data(), got.size());
    EXPECT_EQ(before, static_cast<ssize_t>(first.size()));
    fifo.Commit();
    const ssize_t after = ::read(reader, got.data() + first.size(), last.size());
    EXPECT_EQ(after, static_cast<ssize_t>(last.size()));
    EXPECT_EQ(got, first + last);
    ::close(reader);
}
