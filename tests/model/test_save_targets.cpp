// SaveToFile on targets that are not a plain file of their own: devices,
// FIFOs, links, hard links, folders we may not write, files of other users,
// and a device that refuses the bytes.
#include "model/Base.h"
#include "rtl/SysUtils.h"

#include "FileBytes.h"
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
#include <tuple>

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

// The name's own type and the type of what it leads to.
std::pair<fs::file_type, fs::file_type> TypesOf(const fs::path &path)
{
    return {fs::symlink_status(path).type(), fs::status(path).type()};
}

} // namespace

// Devices and FIFOs are written as they stand, links to them stay links.
class NotAPlainFile : public ::testing::TestWithParam<std::string> {};

TEST_P(NotAPlainFile, IsWrittenAsItStands)
{
    TempDir dir;
    fs::path target = dir.Path() / "out.ild";
    int reader = -1;
    if (GetParam() == "DeviceNode") {
        target = DeviceIn(dir, "out.ild", 3);
    } else if (GetParam() == "LinkToDevice") {
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

INSTANTIATE_TEST_SUITE_P(Kinds, NotAPlainFile, ::testing::Values("DeviceNode", "LinkToDevice", "Fifo"),
                         [](const auto &info) { return info.param; });

TEST(SaveToFile, LinksAreFollowedAndNeverReplaced)
{
    TempDir dir;
    // A link to a name not made yet makes the file where it leads.
    fs::create_directory(dir.Path() / "shows");
    fs::create_symlink("shows/today.ild", dir.Path() / "current.ild");
    TBaseList list;
    list.SaveToFile(dir.File("current.ild"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "current.ild"));
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

// A regular file we may write but not replace as it was is written in
// place: one with another name (a hard link), one in a folder that takes no
// new file, one a replacement could not be handed to the owner of. Whoever
// saves it, the file keeps its owner, group, permissions and names.
struct KeptCase {
    const char *name;
    bool hardLink;
    bool lockedFolder;
    bool othersFile; // owned by nobody: needs root
    bool byNobody;   // saved by the user nobody (by ourselves when we are not root)
};

class KeptFile : public ::testing::TestWithParam<KeptCase> {};

TEST_P(KeptFile, TakesTheImageAndKeepsWhatItWas)
{
    const KeptCase &c = GetParam();
    if (c.othersFile && ::geteuid() != 0)
        GTEST_SKIP() << "needs root to hand a file to another user";
    TempDir dir;
    fs::permissions(dir.Path(), fs::perms(0711));
    const fs::path folder = dir.Path() / "shows";
    fs::create_directory(folder);
    const fs::path target = folder / "out.ild";
    WriteBytes(target, std::vector<std::uint8_t>(100, 0xAA)); // longer than the new image
    fs::permissions(target, fs::perms(0666));
    if (c.hardLink)
        fs::create_hard_link(target, folder / "other.ild");
    if (c.othersFile) {
        ASSERT_EQ(::chown(target.c_str(), kNobody, kNobody), 0);
    }
    fs::permissions(folder, fs::perms(c.lockedFolder ? 0555 : 0777));
    struct stat before {};
    ASSERT_EQ(::stat(target.c_str(), &before), 0);
    const auto names = Listing(folder);

    TBaseList list;
    const auto save = [&] {
        list.SaveToFile(target.string());
        return true;
    };
    EXPECT_EQ(c.byNobody ? RunUnprivileged(save) : (save() ? 0 : 1), 0);
    fs::permissions(folder, fs::perms::owner_all);
    struct stat after {};
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_EQ(std::tuple(after.st_uid, after.st_gid, after.st_mode, after.st_nlink),
              std::tuple(before.st_uid, before.st_gid, before.st_mode, before.st_nlink));
    EXPECT_EQ(ReadBytes(target), ImageOf(list));
    EXPECT_EQ(Listing(folder), names);
    if (c.hardLink) {
        EXPECT_EQ(ReadBytes(folder / "other.ild"), ImageOf(list));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, KeptFile,
                         ::testing::Values(KeptCase{"HardLinked", true, false, false, false},
                                           KeptCase{"InALockedFolder", false, true, false, true},
                                           KeptCase{"OthersSavedByRoot", false, false, true, false},
                                           KeptCase{"RootsSavedByNobody", false, false, false, true}),
                         [](const auto &info) { return std::string(info.param.name); });

// A device that refuses the bytes: the message names the file as shown and
// the reason, and nothing is left beside it.
TEST(SaveToFile, RefusedBytesNameTheFileAndTheReason)
{
    TempDir dir;
    const fs::path target = DeviceIn(dir, "out.ild", 7);
    TBaseList list;
    try {
        list.SaveToFile(target.string(), "shown.ild");
        FAIL() << "the bytes were taken";
    } catch (const rtl::EWriteError &e) {
        EXPECT_EQ(e.Message(), "Cannot write shown.ild: No space left on device");
    }
    EXPECT_TRUE(list.FileName.empty());
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"out.ild"});
}
