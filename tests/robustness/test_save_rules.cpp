// The saving rules, run over every place that writes a file: the viewer's
// File, Save (TIldaFile::SaveToFile), the standard export (SectionWriter),
// `lumivex convert`, the player's PNG and SVG export and `--render`. A new
// writer joins the list below and must keep every rule.
#include "ilda/Reading.h"
#include "lumivex/Export.h"
#include "lumivex/PointFile.h"
#include "player/Renderer.h"
#include "rtl/SysUtils.h"

#include "FileBytes.h"
#include "FileSizeLimit.h"
#include "RunProgram.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <thread>
#include <tuple>

namespace fs = std::filesystem;
using testsupport::Listing;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr uid_t kNobody = 65534;
const std::string kNoDisplay = "unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_RUNTIME_DIR";

// The inputs every writer draws from, in a folder anyone may read.
struct Inputs {
    TempDir dir{"lumivex-save-inputs"};
    std::string pointFile = dir.File("points.dat");
    std::string ildaFile = dir.File("points.ild");
    lumivex::PointFile points;
    std::vector<ilda::Point> frame;

    Inputs()
    {
        fs::permissions(dir.Path(), fs::perms(0755));
        fs::copy_file(LUMIVEX_TEST_DATA "/points-2000.dat", pointFile);
        points = lumivex::ReadPointFile(pointFile);
        auto standard =
            lumivex::BuildStandardExport(points.xBuf, points.yBuf, points.ptCount, lumivex::clRed, 5, "points");
        standard->SaveToFile(ildaFile);
        rtl::TMemoryStream stream(standard->Bytes());
        frame = ilda::ReadAll(stream).frames.at(0).points;
        fs::permissions(pointFile, fs::perms(0644));
        fs::permissions(ildaFile, fs::perms(0644));
    }
};

// Each writer: Save puts its bytes at target and gives the failure's
// message, empty on success; the programs take shell text to run first.
std::string Caught(const std::function<void()> &save)
{
    try {
        save();
    } catch (const rtl::Exception &e) {
        return e.Message();
    }
    return {};
}

struct IldaFileSave {
    static constexpr bool kReadsAFile = false;
    static std::string Save(const Inputs &in, const std::string &target, const std::string & = {})
    {
        return Caught([&] {
            lumivex::BuildIldaExport(in.points.xBuf, in.points.yBuf, in.points.ptCount, lumivex::clRed)
                ->SaveToFile(target, "out");
        });
    }
};

struct SectionWriterSave {
    static constexpr bool kReadsAFile = false;
    static std::string Save(const Inputs &in, const std::string &target, const std::string & = {})
    {
        return Caught([&] {
            lumivex::BuildStandardExport(in.points.xBuf, in.points.yBuf, in.points.ptCount, lumivex::clRed, 4, "p")
                ->SaveToFile(target, "out");
        });
    }
};

struct PngExport {
    static constexpr bool kReadsAFile = false;
    static std::string Save(const Inputs &in, const std::string &target, const std::string & = {})
    {
        return player::WritePng(QString::fromStdString(target), in.frame, 256, {}).toStdString();
    }
};

struct SvgExport {
    static constexpr bool kReadsAFile = false;
    static std::string Save(const Inputs &in, const std::string &target, const std::string & = {})
    {
        return player::WriteSvg(QString::fromStdString(target), in.frame, 64, {}, {}).toStdString();
    }
};

std::string Outcome(const testsupport::RunResult &run)
{
    return run.exitCode == 0 ? std::string() : run.err.empty() ? "failed" : run.err;
}

struct ConvertCommand {
    static constexpr bool kReadsAFile = true;
    static std::string &Input(Inputs &in) { return in.pointFile; }
    static std::string Save(const Inputs &in, const std::string &target, const std::string &extra = {})
    {
        return Outcome(testsupport::RunProgram(fs::path(target).parent_path(), LUMIVEX_EXE,
                                               {"convert", "--force", "-o", target, in.pointFile}, extra));
    }
};

struct RenderCommand {
    static constexpr bool kReadsAFile = true;
    static std::string &Input(Inputs &in) { return in.ildaFile; }
    static std::string Save(const Inputs &in, const std::string &target, const std::string &extra = {})
    {
        return Outcome(testsupport::RunProgram(fs::path(target).parent_path(), LUMIVEX_PLAYER,
                                               {"--render", in.ildaFile, "--size", "256", "-o", target},
                                               kNoDisplay + (extra.empty() ? "" : "; " + extra)));
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

// Runs body in a child process, as the user nobody when we are root; 0 when
// body returned true. A child also keeps limits away from the test itself.
int InChild(const std::function<bool()> &body, bool asNobody)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const bool dropped = !asNobody || ::geteuid() != 0 ||
                             (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0);
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

std::pair<fs::file_type, fs::file_type> TypesOf(const fs::path &path)
{
    return {fs::symlink_status(path).type(), fs::status(path).type()};
}

struct Identity {
    uid_t uid;
    gid_t gid;
    mode_t mode;
    nlink_t links;
    bool operator==(const Identity &) const = default;
};

Identity IdentityOf(const fs::path &path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return {st.st_uid, st.st_gid, st.st_mode, st.st_nlink};
}

} // namespace

template <typename Writer> class SaveRules : public ::testing::Test {
protected:
    SaveRules()
    {
        fs::permissions(dir_.Path(), fs::perms(0777));
        TempDir reference("lumivex-save-reference");
        const std::string name = reference.File("reference");
        EXPECT_EQ(Save(name), "");
        expected_ = ReadBytes(name);
        EXPECT_GT(expected_.size(), 1024u); // beyond the file-size limit below
    }

    std::string Save(const fs::path &target, const std::string &extra = {})
    {
        return Writer::Save(inputs_, target.string(), extra);
    }

    Inputs inputs_;
    TempDir dir_{"lumivex-save-rules"};
    Bytes expected_;
};

using Writers = ::testing::Types<IldaFileSave, SectionWriterSave, PngExport, SvgExport, ConvertCommand, RenderCommand>;
TYPED_TEST_SUITE(SaveRules, Writers);

TYPED_TEST(SaveRules, ANewNameGetsTheBytesAndNothingBeside)
{
    const fs::path target = this->dir_.Path() / "out";
    EXPECT_EQ(this->Save(target), "");
    EXPECT_EQ(ReadBytes(target), this->expected_);
    EXPECT_EQ(Listing(this->dir_.Path()), std::vector<std::string>{"out"});
}

// Devices and FIFOs are written as they stand, links to them stay links.
TYPED_TEST(SaveRules, DevicesAndFifosAreWrittenAsTheyStand)
{
    for (const std::string kind : {"device", "link to a device", "fifo"}) {
        SCOPED_TRACE(kind);
        TempDir dir("lumivex-save-device");
        fs::path target = dir.Path() / "out";
        const bool fifo = kind == "fifo";
        if (kind == "device") {
            target = DeviceIn(dir, "out", 3);
        } else if (kind == "link to a device") {
            DeviceIn(dir, "null", 3);
            fs::create_symlink("null", target);
        } else {
            ASSERT_EQ(::mkfifo(target.c_str(), 0666), 0);
        }
        const auto types = TypesOf(target);
        const auto names = Listing(dir.Path());
        // A FIFO's reader takes the bytes as they come: more than the pipe holds.
        Bytes got;
        std::thread reader([&] {
            if (!fifo)
                return;
            const int fd = ::open(target.c_str(), O_RDONLY);
            std::uint8_t block[4096];
            for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;)
                got.insert(got.end(), block, block + n);
            ::close(fd);
        });
        EXPECT_EQ(this->Save(target), "");
        if (fifo) {
            // Lets the reader end even if no writer came.
            const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
        reader.join();
        EXPECT_EQ(TypesOf(target), types);
        EXPECT_EQ(Listing(dir.Path()), names);
        if (fifo) {
            EXPECT_EQ(got, this->expected_);
        }
    }
}

TYPED_TEST(SaveRules, LinksAreFollowedAndNeverReplaced)
{
    const fs::path shows = this->dir_.Path() / "shows";
    fs::create_directory(shows);
    WriteBytes(shows / "old", {1, 2, 3});
    fs::create_symlink("shows/old", this->dir_.Path() / "to-old");
    fs::create_symlink("shows/new", this->dir_.Path() / "to-new"); // leads nowhere yet
    EXPECT_EQ(this->Save(this->dir_.Path() / "to-old"), "");
    EXPECT_EQ(this->Save(this->dir_.Path() / "to-new"), "");
    EXPECT_TRUE(fs::is_symlink(this->dir_.Path() / "to-old"));
    EXPECT_TRUE(fs::is_symlink(this->dir_.Path() / "to-new"));
    EXPECT_EQ(ReadBytes(shows / "old"), this->expected_);
    EXPECT_EQ(ReadBytes(shows / "new"), this->expected_);
    EXPECT_EQ(Listing(shows), (std::vector<std::string>{"new", "old"}));
}

// A regular file is replaced or written in place, never changing hands:
// its owner, group, mode and names stay, whoever saves it.
TYPED_TEST(SaveRules, AFileKeepsItsOwnerModeAndNames)
{
    struct Case {
        const char *name;
        mode_t mode;
        bool hardLink, lockedFolder, othersFile, byNobody;
    };
    for (const Case c :
         {Case{"mode kept", 0640, false, false, false, false}, Case{"hard link", 0666, true, false, false, false},
          Case{"folder that takes no new file", 0666, false, true, false, true},
          Case{"another user's file saved by root", 0666, false, false, true, false},
          Case{"root's file saved by nobody", 0666, false, false, false, true}}) {
        SCOPED_TRACE(c.name);
        if (c.othersFile && ::geteuid() != 0)
            continue;
        TempDir dir("lumivex-save-kept");
        fs::permissions(dir.Path(), fs::perms(0711));
        const fs::path folder = dir.Path() / "shows";
        fs::create_directory(folder);
        const fs::path target = folder / "out";
        WriteBytes(target, Bytes(100, 0xAA));
        fs::permissions(target, fs::perms(c.mode));
        if (c.hardLink)
            fs::create_hard_link(target, folder / "other");
        if (c.othersFile) {
            ASSERT_EQ(::chown(target.c_str(), kNobody, kNobody), 0);
        }
        fs::permissions(folder, fs::perms(c.lockedFolder ? 0555 : 0777));
        const Identity before = IdentityOf(target);
        const auto names = Listing(folder);
        EXPECT_EQ(InChild([&] { return this->Save(target).empty(); }, c.byNobody), 0);
        fs::permissions(folder, fs::perms::owner_all);
        EXPECT_EQ(IdentityOf(target), before);
        EXPECT_EQ(ReadBytes(target), this->expected_);
        EXPECT_EQ(Listing(folder), names);
        if (c.hardLink) {
            EXPECT_EQ(ReadBytes(folder / "other"), this->expected_);
        }
    }
}

// A file no one may write stays as it is, for root as for anyone.
TYPED_TEST(SaveRules, AReadOnlyFileIsRefusedAndLeftAsItWas)
{
    const fs::path target = this->dir_.Path() / "locked";
    WriteBytes(target, {4, 5, 6});
    fs::permissions(target, fs::perms(0444));
    for (const bool byNobody : {false, true}) {
        EXPECT_EQ(InChild([&] { return this->Save(target).empty(); }, byNobody), 1);
        EXPECT_EQ(ReadBytes(target), (Bytes{4, 5, 6}));
        EXPECT_EQ(Listing(this->dir_.Path()), std::vector<std::string>{"locked"});
    }
}

// A device that refuses the bytes names the reason; a file-size limit in
// the middle of the bytes leaves the old file whole and nothing beside it.
TYPED_TEST(SaveRules, AFailedWriteKeepsTheOldFile)
{
    const fs::path full = DeviceIn(this->dir_, "full", 7);
    EXPECT_NE(this->Save(full).find("No space left on device"), std::string::npos);

    const fs::path target = this->dir_.Path() / "old";
    WriteBytes(target, {7, 8, 9});
    if constexpr (TypeParam::kReadsAFile) {
        EXPECT_NE(this->Save(target, "ulimit -f 1").find("File too large"), std::string::npos);
    } else {
        EXPECT_EQ(InChild(
                      [&] {
                          const testsupport::FileSizeLimit limit(1024);
                          return limit.Applied() && this->Save(target).find("File too large") != std::string::npos;
                      },
                      false),
                  0);
    }
    EXPECT_EQ(ReadBytes(target), (Bytes{7, 8, 9}));
    EXPECT_EQ(Listing(this->dir_.Path()), (std::vector<std::string>{"full", "old"}));
}

// -o naming the file being read, however it is reached, is refused.
TYPED_TEST(SaveRules, TheOutputNeverReplacesTheInput)
{
    if constexpr (!TypeParam::kReadsAFile) {
        GTEST_SKIP() << "writes what it holds, reads no file";
    } else {
        const fs::path input = this->dir_.Path() / "input";
        fs::copy_file(TypeParam::Input(this->inputs_), input);
        TypeParam::Input(this->inputs_) = input.string();
        const Bytes before = ReadBytes(input);
        fs::create_symlink("input", this->dir_.Path() / "link");
        fs::create_hard_link(input, this->dir_.Path() / "hard");
        for (const std::string name : {"input", "link", "hard", "/proc/self/fd/3"}) {
            SCOPED_TRACE(name);
            const std::string problem = this->Save(this->dir_.Path() / name, "exec 3<'" + input.string() + "'");
            EXPECT_NE(problem.find("would replace the input"), std::string::npos) << problem;
            EXPECT_EQ(ReadBytes(input), before);
        }
        EXPECT_EQ(Listing(this->dir_.Path()), (std::vector<std::string>{"hard", "input", "link"}));
    }
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
