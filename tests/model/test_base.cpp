#include "model/Base.h"
#include "rtl/SysUtils.h"

#include "FileBytes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <stdexcept>

using testsupport::Listing;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

// Counts its own destruction and checks that the list no longer reaches it.
class Counted : public rtl::TObject {
public:
    Counted(std::map<int, int> &deaths, int id, const rtl::TList *owner = nullptr, int slot = -1)
        : deaths_(deaths), id_(id), owner_(owner), slot_(slot)
    {
    }
    ~Counted() override
    {
        ++deaths_[id_];
        if (owner_ && slot_ < owner_->Count() && owner_->Get(slot_) == this)
            reachableWhileDying = true;
    }
    static inline bool reachableWhileDying = false;

private:
    std::map<int, int> &deaths_;
    int id_;
    const rtl::TList *owner_;
    int slot_;
};

std::vector<std::uint8_t> ImageOf(TBaseList &list)
{
    rtl::TMemoryStream s;
    list.SaveToStream(s);
    return s.Bytes();
}

} // namespace

TEST(BaseList, StartsEmptyNamedQuorvane)
{
    TBaseList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Name.Length, 8);
    EXPECT_EQ(list.Name.Str(), "Quorvane");
    EXPECT_TRUE(list.FileName.empty());
}

TEST(BaseList, DestroysEveryItemOnceAndSkipsNulls)
{
    std::map<int, int> deaths;
    Counted::reachableWhileDying = false;
    {
        TBaseList list;
        for (int i = 0; i < 5; ++i) {
            list.Add(std::make_unique<Counted>(deaths, i, &list, list.Count()));
            list.Add(static_cast<rtl::TObject *>(nullptr));
        }
        EXPECT_EQ(list.Count(), 10);
        EXPECT_TRUE(deaths.empty());
    }
    ASSERT_EQ(deaths.size(), 5u);
    for (const auto &[id, n] : deaths)
        EXPECT_EQ(n, 1) << "item " << id;
    EXPECT_FALSE(Counted::reachableWhileDying);
}

TEST(BaseList, ClearItemsNullsEachSlotBeforeDestroying)
{
    std::map<int, int> deaths;
    Counted::reachableWhileDying = false;
    TBaseList list;
    for (int i = 0; i < 3; ++i)
        list.Add(new Counted(deaths, i, &list, i));
    list.ClearItems();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(deaths.size(), 3u);
    EXPECT_FALSE(Counted::reachableWhileDying);
    list.ClearItems(); // empty: nothing happens
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(deaths.size(), 3u);
}

TEST(BaseList, PutDeleteAndExtractKeepOwnershipStraight)
{
    std::map<int, int> deaths;
    {
        TBaseList list;
        list.Add(new Counted(deaths, 1));
        list.Add(new Counted(deaths, 2));
        list.Add(new Counted(deaths, 3));

        list.Put(0, new Counted(deaths, 10)); // replaces and destroys 1
        EXPECT_EQ(deaths[1], 1);
        list.Delete(1);                       // destroys 2
        EXPECT_EQ(deaths[2], 1);
        EXPECT_EQ(list.Count(), 2);
        std::unique_ptr<rtl::TObject> kept = list.Extract(1); // hands 3 back
        EXPECT_EQ(deaths.count(3), 0u);
        EXPECT_EQ(list.Count(), 1);
        EXPECT_THROW(list.Put(5, new Counted(deaths, 99)), rtl::EListError);
        EXPECT_EQ(deaths[99], 1); // refused items are not leaked
    }
    EXPECT_EQ(deaths[3], 1);
    EXPECT_EQ(deaths[10], 1);
}

TEST(BaseList, FreshNameImageIs33Bytes)
{
    TBaseList list;
    std::vector<std::uint8_t> expected(33, 0);
    expected[0] = 8;
    std::memcpy(expected.data() + 1, "Quorvane", 8);
    EXPECT_EQ(ImageOf(list), expected);
}

TEST(BaseList, NameImageRoundTripsWithItsTrailingBytes)
{
    std::vector<std::uint8_t> image(33);
    image[0] = 3;
    for (int i = 1; i < 33; ++i)
        image[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>('a' + i % 26);
    rtl::TMemoryStream in(image);
    TBaseList list;
    list.LoadFromStream(in);
    EXPECT_EQ(list.Name.Str(), "bcd");
    EXPECT_EQ(in.Position(), 33);
    EXPECT_EQ(ImageOf(list), image);
}

// A stored length byte above 32 never reaches past the 32 characters.
class NameLength : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(NameLength, IsCappedAt32)
{
    std::vector<std::uint8_t> image(40, 'x');
    image[0] = static_cast<std::uint8_t>(GetParam().first);
    rtl::TMemoryStream in(image);
    TBaseList list;
    list.LoadFromStream(in);
    EXPECT_EQ(list.Name.Length, GetParam().second);
    EXPECT_EQ(list.Name.Str(), std::string(static_cast<std::size_t>(GetParam().second), 'x'));
    EXPECT_EQ(in.Position(), 33); // the rest of the stream is not touched
}

INSTANTIATE_TEST_SUITE_P(Lengths, NameLength,
                         ::testing::Values(std::pair{0, 0}, std::pair{8, 8}, std::pair{32, 32},
                                           std::pair{33, 32}, std::pair{255, 32}));

TEST(BaseList, NameImageCutShortRaisesAndKeepsTheName)
{
    for (std::size_t size = 0; size < 33; ++size) {
        rtl::TMemoryStream in(std::vector<std::uint8_t>(size, 5));
        TBaseList list;
        EXPECT_THROW(list.LoadFromStream(in), rtl::EReadError) << size;
        EXPECT_EQ(list.Name.Str(), "Quorvane") << size;
    }
}

TEST(ListName, AssignKeepsAtMost32Characters)
{
    TListName name;
    name.Assign(std::string(40, 'q'));
    EXPECT_EQ(name.Length, 32);
    name.Assign("ab");
    EXPECT_EQ(name.Str(), "ab");
    EXPECT_EQ(name.Chars[2], '\0'); // no left-overs from the longer name
}

// ---- SaveToFile

namespace {

// Writes its name image, then whatever the test asks for.
class Saver : public TBaseList {
public:
    enum class Mode { Normal, Nothing, ThrowHalfWay };
    explicit Saver(Mode mode) : mode_(mode) {}
    void SaveToStream(rtl::TStream &stream) override
    {
        if (mode_ == Mode::Nothing)
            return;
        TBaseList::SaveToStream(stream);
        if (mode_ == Mode::ThrowHalfWay)
            throw std::runtime_error("disk on fire");
    }

private:
    Mode mode_;
};

} // namespace

TEST(SaveToFile, WritesTheImageAndRemembersTheName)
{
    TempDir dir;
    Saver list(Saver::Mode::Normal);
    const std::string name = dir.File("list.bin");
    list.SaveToFile(name);
    EXPECT_EQ(list.FileName, name);
    EXPECT_EQ(ReadBytes(name), ImageOf(list));
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"list.bin"});
}

TEST(SaveToFile, NothingToStoreKeepsTheOldFileAndFails)
{
    TempDir dir;
    const std::string name = dir.File("old.bin");
    WriteBytes(name, std::vector<std::uint8_t>(100, 0xAA));
    Saver list(Saver::Mode::Nothing);
    EXPECT_THROW(list.SaveToFile(name), rtl::EWriteError);
    EXPECT_EQ(ReadBytes(name), std::vector<std::uint8_t>(100, 0xAA));
    EXPECT_TRUE(list.FileName.empty());
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"old.bin"});
}

TEST(SaveToFile, FailureHalfWayLeavesTheOldFileAndNoTemporary)
{
    TempDir dir;
    const std::string name = dir.File("keep.bin");
    const std::vector<std::uint8_t> old = {1, 2, 3, 4, 5};
    WriteBytes(name, old);
    Saver list(Saver::Mode::ThrowHalfWay);
    list.FileName = "before";
    EXPECT_THROW(list.SaveToFile(name), std::runtime_error);
    EXPECT_EQ(ReadBytes(name), old);
    EXPECT_EQ(list.FileName, "before");
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"keep.bin"});
}

TEST(SaveToFile, FailureWithoutAnOldFileLeavesNothing)
{
    TempDir dir;
    Saver list(Saver::Mode::ThrowHalfWay);
    EXPECT_THROW(list.SaveToFile(dir.File("new.bin")), std::runtime_error);
    EXPECT_TRUE(Listing(dir.Path()).empty());
}

// Names that cannot be created: the error names them as given.
class CannotCreate : public ::testing::TestWithParam<std::string> {};

TEST_P(CannotCreate, RaisesWithTheNameAndKeepsFileName)
{
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "folder");
    const std::string name = GetParam().empty() ? "" : dir.File(GetParam());
    Saver list(Saver::Mode::Normal);
    list.FileName = "before";
    try {
        list.SaveToFile(name);
        FAIL() << "saved into " << name;
    } catch (const rtl::EFCreateError &e) {
        EXPECT_EQ(e.Message(), "Cannot create file " + name);
    }
    EXPECT_EQ(list.FileName, "before");
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"folder"});
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder"));
}

INSTANTIATE_TEST_SUITE_P(Names, CannotCreate,
                         ::testing::Values("missing/list.bin", "folder", "folder/", ""));

TEST(SaveToFile, ThroughALinkReplacesTheLinkedFile)
{
    TempDir dir;
    const std::string real = dir.File("real.bin");
    const std::string link = dir.File("link.bin");
    WriteBytes(real, {9});
    std::filesystem::create_symlink(real, link);
    Saver list(Saver::Mode::Normal);
    list.SaveToFile(link);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), ImageOf(list));
}

TEST(SaveToFile, BareNameLandsInTheCurrentFolder)
{
    TempDir dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    Saver list(Saver::Mode::Normal);
    try {
        list.SaveToFile("bare.bin");
    } catch (...) {
        std::filesystem::current_path(previous);
        throw;
    }
    std::filesystem::current_path(previous);
    EXPECT_EQ(list.FileName, "bare.bin");
    EXPECT_EQ(ReadBytes(dir.File("bare.bin")), ImageOf(list));
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"bare.bin"});
}

TEST(SaveToFile, KeepsThePermissionsOfTheFileItReplaces)
{
    TempDir dir;
    const std::string name = dir.File("mode.bin");
    WriteBytes(name, {1});
    using std::filesystem::perms;
    std::filesystem::permissions(name, perms::owner_read | perms::owner_write | perms::group_read);
    Saver list(Saver::Mode::Normal);
    list.SaveToFile(name);
    EXPECT_EQ(std::filesystem::status(name).permissions() & perms::all,
              perms::owner_read | perms::owner_write | perms::group_read);
    EXPECT_EQ(ReadBytes(name), ImageOf(list));
}

// Refused for the superuser too: no write bit says the file is to stay.
TEST(SaveToFile, ReadOnlyTargetIsRefusedAndKept)
{
    TempDir dir;
    const std::string name = dir.File("locked.bin");
    WriteBytes(name, {4, 5, 6});
    std::filesystem::permissions(name, std::filesystem::perms::owner_read);
    Saver list(Saver::Mode::Normal);
    EXPECT_THROW(list.SaveToFile(name), rtl::EFCreateError);
    EXPECT_EQ(ReadBytes(name), (std::vector<std::uint8_t>{4, 5, 6}));
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"locked.bin"});
}
