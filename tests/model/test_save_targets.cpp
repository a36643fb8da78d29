// SaveToFile on targets that are not a plain file of their own: devices,
// FIFOs, links, hard links, folders we may not write, files of other users,
// and the messages of refused bytes.
#include "model/Base.h"
#include "rtl/SysUtils.h"

#include "FileBytes.h"
#include "FileSizeLimit.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using testsupport::Listing;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

constexpr uid_t kNobody = 65534;

std::vector<std::uint8_t> ImageOf(TBaseList &list)
{
    rtl::TMemoryStream s;
    list.SaveToStream(s);
    return s.Bytes();
}

// Writes far more than a small file-size limit allows.
class BigList : public TBaseList {
public:
    void SaveToStream(rtl::TStream &stream) override
    {
        const std::vector<std::uint8_t> block(64 * 1024, 0x5A);
        stream.WriteBuffer(block.data(), block.size());
    }
};

// A character device of the memory driver (3 null, 7 full) named name in
// dir: a node of its own when we may make one, else a link to the system's.
fs::path DeviceIn(const TempDir &dir, const std::string &name, unsigned minor)
{
    const fs::path path = dir.Path() / name;
    if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, minor)) != 0)
        fs::create_symlink(minor == 7 ? "/dev/full" : "/dev/null", path);
    return path;
}

// Runs body as the user nobody in a child process (as ourselves when we
// are not root); 0 when body returned true.
int RunUnprivileged(const std::function<bool()> &body)
{
    if (::geteuid() != 0)
        return body() ? 0 : 1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
        bool ok = false;
        try {
            ok = dropped && body();
        } catch (...) {
        }
        ::_exit(!dropped ? 2 : ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

fs::file_type TypeOf(const fs::path &path)
{
    return fs::symlink_status(path).type();
}

// The name's own type and the type of what it leads to.
std::pair<fs::file_type, fs::file_type> TypesOf(const fs::path &path)
{
    return {fs::symlink_status(path).type(), fs::status(path).type()};
}

} // namespace

// Devices and FIFOs are written as they stand, links to them stay links.
enum class Special { DeviceNode, LinkToDevice, Fifo };

std::string SpecialName(Special kind)
{
    return kind == Special::DeviceNode ? "DeviceNode" : kind == Special::LinkToDevice ? "LinkToDevice" : "Fifo";
}

class NotAPlainFile : public ::testing::TestWithParam<Special> {};

TEST_P(NotAPlainFile, IsWrittenAsItStands)
{
    TempDir dir;
    fs::path target = dir.Path() / "out.ild";
    int reader = -1;
    if (GetParam() == Special::DeviceNode) {
        target = DeviceIn(dir, "out.ild", 3);
    } else if (GetParam() == Special::LinkToDevice) {
        DeviceIn(dir, "null", 3);
        fs::create_symlink("null", target);
    } else {
        ASSERT_EQ(::mkfifo(target.c_str(), 0666), 0);
        // Opened first, so the save finds a reader; the pipe holds the bytes.
        reader = ::open(target.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
    }
    const auto types = TypesOf(target);
    const auto names = Listing(dir.Path());
    TBaseList list;
    list.SaveToFile(target.string());
    EXPECT_EQ(TypesOf(target), types);
    EXPECT_EQ(Listing(dir.Path()), names);
    if (reader >= 0) {
        std::vector<std::uint8_t> got(1024);
        const ssize_t n = ::read(reader, got.data(), got.size());
        ::close(reader);
        got.resize(static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        EXPECT_EQ(got, ImageOf(list));
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, NotAPlainFile,
                         ::testing::Values(Special::DeviceNode, Special::LinkToDevice, Special::Fifo),
                         [](const auto &info) { return SpecialName(info.param); });

TEST(SaveToFile, LinksAreFollowedAndNeverReplaced)
{
    TempDir dir;
    // A link to a name not made yet makes the file where it leads.
    fs::create_directory(dir.Path() / "shows");
    fs::create_symlink("shows/today.ild", dir.Path() / "current.ild");
    TBaseList list;
    list.SaveToFile(dir.File("current.ild"));
    EXPECT_EQ(TypeOf(dir.Path() / "current.ild"), fs::file_type::symlink);
    EXPECT_EQ(ReadBytes(dir.Path() / "shows/today.ild"), ImageOf(list));

    // Links that lead round in a circle are refused and stay.
    fs::create_symlink("b.ild", dir.Path() / "a.ild");
    fs::create_symlink("a.ild", dir.Path() / "b.ild");
    try {
        list.SaveToFile(dir.File("a.ild"), "a.ild");
        FAIL() << "saved through a circle of links";
    } catch (const rtl::EFCreateError &e) {
        EXPECT_EQ(e.Message(), "Cannot write a.ild: Too many levels of symbolic links");
    }
    EXPECT_EQ(fs::read_symlink(dir.Path() / "a.ild"), "b.ild");
    EXPECT_EQ(Listing(dir.Path()), (std::vector<std::string>{"a.ild", "b.ild", "current.ild", "shows"}));
}

TEST(SaveToFile, WritableFileInAFolderWeMayNotWriteIsWrittenInPlace)
{
    TempDir dir;
    fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const fs::path locked = dir.Path() / "locked";
    fs::create_directory(locked);
    const fs::path target = locked / "out.ild";
    WriteBytes(target, std::vector<std::uint8_t>(100, 0xAA));
    fs::permissions(target, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    TBaseList list;
    EXPECT_EQ(RunUnprivileged([&] {
                  list.SaveToFile(target.string());
                  return true;
              }),
              0);
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_EQ(ReadBytes(target), ImageOf(list));
    EXPECT_EQ(Listing(locked), std::vector<std::string>{"out.ild"});
}

TEST(SaveToFile, HardLinkedFileIsWrittenInPlace)
{
    TempDir dir;
    const fs::path a = dir.Path() / "a.ild";
    WriteBytes(a, std::vector<std::uint8_t>(100, 0xAA)); // longer than the new image
    fs::create_hard_link(a, dir.Path() / "b.ild");
    TBaseList list;
    list.SaveToFile(a.string());
    EXPECT_EQ(ReadBytes(dir.Path() / "b.ild"), ImageOf(list));
    EXPECT_EQ(fs::hard_link_count(a), 2u);
}

// Another user's file keeps its owner and group: replaced by a process that
// may set them (root), written in place by one that may not (nobody).
class OtherUsersFile : public ::testing::TestWithParam<bool> {};

TEST_P(OtherUsersFile, KeepsItsOwnerAndGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to hand a file to another user";
    const bool unprivileged = GetParam();
    TempDir dir;
    fs::permissions(dir.Path(), fs::perms::all);
    const fs::path target = dir.Path() / "out.ild";
    WriteBytes(target, std::vector<std::uint8_t>(100, 0xAA));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
    const uid_t owner = unprivileged ? 0 : kNobody;
    ASSERT_EQ(::chown(target.c_str(), owner, owner), 0);
    TBaseList list;
    const auto save = [&] {
        list.SaveToFile(target.string());
        return true;
    };
    EXPECT_EQ(unprivileged ? RunUnprivileged(save) : save() ? 0 : 1, 0);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_gid, owner);
    EXPECT_EQ(st.st_mode & 0777, 0666u);
    EXPECT_EQ(ReadBytes(target), ImageOf(list));
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"out.ild"});
}

INSTANTIATE_TEST_SUITE_P(Savers, OtherUsersFile, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "AsNobody" : "AsRoot"; });

// Refused bytes: the message names the file as shown and the reason, the
// previous content stays and no temporary file is left.
enum class Refusal { FullDevice, FileSizeLimit };

class RefusedBytes : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedBytes, NameTheFileAndTheReason)
{
    TempDir dir;
    fs::path target = dir.Path() / "out.ild";
    const std::vector<std::uint8_t> previous(10, 0x11);
    if (GetParam() == Refusal::FullDevice)
        target = DeviceIn(dir, "out.ild", 7);
    else
        WriteBytes(target, previous);
    BigList list;
    try {
        const testsupport::FileSizeLimit limit(4096);
        list.SaveToFile(target.string(), "shown.ild");
        FAIL() << "the bytes were taken";
    } catch (const rtl::EWriteError &e) {
        EXPECT_EQ(e.Message(), GetParam() == Refusal::FullDevice ? "Cannot write shown.ild: No space left on device"
                                                                 : "Cannot write shown.ild: File too large");
    }
    EXPECT_TRUE(list.FileName.empty());
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"out.ild"});
    if (GetParam() == Refusal::FileSizeLimit) {
        EXPECT_EQ(ReadBytes(target), previous);
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, RefusedBytes, ::testing::Values(Refusal::FullDevice, Refusal::FileSizeLimit),
                         [](const auto &info) {
                             return std::string(info.param == Refusal::FullDevice ? "FullDevice" : "FileSizeLimit");
                         });
