// Faults injected into saving, through the model and through the command
// line: a stream that fails half-way, a file system that refuses more bytes
// (a file-size limit, which binds root too), targets that cannot be
// created. Whatever fails, the previous file stays byte for byte and no
// partial or temporary file is left behind.
#include "FileBytes.h"
#include "FileSizeLimit.h"
#include "PointFileSample.h"
#include "RunProgram.h"
#include "TempDir.h"

#include "ilda/IldaObj.h"
#include "lumivex/Export.h"
#include "lumivex/PointFile.h"
#include "rtl/Messages.h"
#include "rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testsupport::FileSizeLimit;
using testsupport::Listing;
using testsupport::ReadFile;
using testsupport::RunProgram;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

const std::string kPrevious = "the previous file, which must survive";

std::unique_ptr<TIldaFile> ExportOf(unsigned n)
{
    const std::string bytes = robustness::PointFileBytes(n);
    const auto pf = lumivex::DecodePointFile(
        std::span(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()));
    EXPECT_TRUE(pf.accepted());
    return lumivex::BuildIldaExport(pf.xBuf, pf.yBuf, pf.ptCount, lumivex::clNavy);
}

// An ILDA file whose writing breaks off after half of its bytes.
class THalfWayFile : public TIldaFile {
public:
    void SaveToStream(rtl::TStream &stream) override
    {
        rtl::TMemoryStream whole;
        TIldaFile::SaveToStream(whole);
        stream.WriteBuffer(whole.Bytes().data(), whole.Bytes().size() / 2);
        throw rtl::EWriteError("Stream write error");
    }
};

class SaveFault : public ::testing::Test {
protected:
    void SetUp() override
    {
        target_ = dir_.Path() / "outline.ild";
        WriteFile(target_, kPrevious);
    }
    // The folder holds the previous file and nothing else.
    void ExpectUntouched()
    {
        EXPECT_EQ(ReadFile(target_), kPrevious);
        EXPECT_EQ(Listing(dir_.Path()), std::vector<std::string>{"outline.ild"});
    }
    TempDir dir_;
    fs::path target_;
};

TEST_F(SaveFault, StreamFailingHalfWayKeepsThePreviousFile)
{
    THalfWayFile file;
    auto frame = std::make_unique<TFrm>();
    for (int k = 0; k < 500; ++k) frame->AddPoint(k, -k, 0, 0xFF, 0, 3);
    file.Add(std::move(frame));
    file.FileName = "earlier.ild";
    EXPECT_THROW(file.SaveToFile(target_.string()), rtl::EWriteError);
    EXPECT_EQ(file.FileName, "earlier.ild");
    ExpectUntouched();
}

TEST_F(SaveFault, FileSystemRefusingBytesKeepsThePreviousFile)
{
    auto file = ExportOf(2000); // about 16 KB
    {
        const FileSizeLimit limit(4096);
        EXPECT_TRUE(limit.Applied());
        EXPECT_THROW(file->SaveToFile(target_.string()), rtl::Exception);
    }
    EXPECT_TRUE(file->FileName.empty());
    ExpectUntouched();
    // With room again the same save goes through.
    file->SaveToFile(target_.string());
    EXPECT_EQ(fs::file_size(target_), 32u + 8u * 1991u);
}

// Targets that cannot be created: the creation error names the target, and
// nothing in the folder changes.
class UncreatableTarget : public SaveFault, public ::testing::WithParamInterface<std::string> {};

TEST_P(UncreatableTarget, RaisesCannotCreateAndChangesNothing)
{
    fs::create_directory(dir_.Path() / "folder.ild");
    const std::string name = (dir_.Path() / GetParam()).string();
    auto file = ExportOf(20);
    try {
        file->SaveToFile(name);
        FAIL() << "saved into " << name;
    } catch (const rtl::EFCreateError &e) {
        EXPECT_EQ(e.Message(), "Cannot create file " + name);
    }
    EXPECT_TRUE(file->FileName.empty());
    EXPECT_EQ(ReadFile(target_), kPrevious);
    EXPECT_EQ(Listing(dir_.Path()), (std::vector<std::string>{"folder.ild", "outline.ild"}));
    EXPECT_TRUE(fs::is_empty(dir_.Path() / "folder.ild"));
}

INSTANTIATE_TEST_SUITE_P(Targets, UncreatableTarget,
                         ::testing::Values("missing/outline.ild", "folder.ild", "outline.ild/below.ild",
                                           "missing/deeper/outline.ild"));

// The command line: convert into places it cannot write.
class ConvertFault : public ::testing::Test {
protected:
    void SetUp() override { WriteFile(dir_.Path() / "bat.dat", robustness::PointFileBytes(2000)); }
    TempDir dir_;
};

struct Unwritable {
    const char *name;
    std::vector<std::string> args;
    std::string err; // all that the command says
};

void PrintTo(const Unwritable &u, std::ostream *os) { *os << u.name; }

class ConvertUnwritable : public ConvertFault, public ::testing::WithParamInterface<Unwritable> {};

TEST_P(ConvertUnwritable, ExitsOneWithTheMessageAndLeavesNoFile)
{
    WriteFile(dir_.Path() / "plain-file", "not a folder");
    fs::create_directory(dir_.Path() / "folder.ild");
    const auto before = Listing(dir_.Path());
    std::vector<std::string> args{"convert"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    args.push_back("bat.dat");
    const auto r = RunProgram(dir_.Path(), LUMIVEX_EXE, args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, GetParam().err);
    EXPECT_EQ(Listing(dir_.Path()), before);
    EXPECT_TRUE(fs::is_empty(dir_.Path() / "folder.ild"));
}

INSTANTIATE_TEST_SUITE_P(
    Places, ConvertUnwritable,
    ::testing::Values(Unwritable{"OutputDirIsAFile",
                                 {"--output-dir", "plain-file"},
                                 "lumivex: the output folder plain-file is not a folder.\n"},
                      Unwritable{"OutputDirMissing",
                                 {"--output-dir", "missing"},
                                 "lumivex: the output folder missing does not exist; create it, or add --parents.\n"},
                      Unwritable{"OutputInMissingFolder",
                                 {"-o", "missing/out.ild"},
                                 "bat.dat: Cannot create file missing/out.ild: the folder missing does not exist\n"},
                      Unwritable{"OutputIsAFolder",
                                 {"--force", "-o", "folder.ild"},
                                 "bat.dat: Cannot create file folder.ild: it is a folder\n"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ConvertFault, FileSystemRefusingBytesKeepsThePreviousOutput)
{
    WriteFile(dir_.Path() / "bat.ild", kPrevious);
    // The shell's limit is in blocks of at least 512 bytes: 8 of them hold
    // far less than the 16 KB of the export.
    const auto r = RunProgram(dir_.Path(), LUMIVEX_EXE, {"convert", "--force", "bat.dat"}, "trap '' XFSZ; ulimit -f 8");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("bat.dat: ", 0), 0u) << r.err;
    EXPECT_GT(r.err.size(), std::string("bat.dat: \n").size());
    EXPECT_EQ(ReadFile(dir_.Path() / "bat.ild"), kPrevious);
    EXPECT_EQ(Listing(dir_.Path()), (std::vector<std::string>{"bat.dat", "bat.ild"}));

    // And without the limit the same command replaces it.
    const auto ok = RunProgram(dir_.Path(), LUMIVEX_EXE, {"convert", "--force", "bat.dat"});
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(fs::file_size(dir_.Path() / "bat.ild"), 32u + 8u * 1991u);
}

// The same limit with the signal as the shell leaves it: the program itself
// must turn it into a failed write that names the file and the reason.
TEST_F(ConvertFault, FileSizeLimitWithTheSignalUntouchedFailsWithAMessage)
{
    std::signal(SIGXFSZ, SIG_DFL); // an ignored signal would be inherited
    WriteFile(dir_.Path() / "bat.ild", kPrevious);
    const auto r = RunProgram(dir_.Path(), LUMIVEX_EXE, {"convert", "--force", "bat.dat"}, "ulimit -f 8");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "bat.dat: Cannot write bat.ild: File too large\n");
    EXPECT_EQ(ReadFile(dir_.Path() / "bat.ild"), kPrevious);
    EXPECT_EQ(Listing(dir_.Path()), (std::vector<std::string>{"bat.dat", "bat.ild"}));
}

TEST_F(ConvertFault, FileSystemRefusingBytesLeavesNoNewFile)
{
    const auto r = RunProgram(dir_.Path(), LUMIVEX_EXE, {"convert", "bat.dat"}, "trap '' XFSZ; ulimit -f 8");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(Listing(dir_.Path()), std::vector<std::string>{"bat.dat"});
}

} // namespace
