// The download terminal's engine on the emulated camera: each file type ends up in its flash
// sector (defect tables keep the other half of the sector), failures and cancel leave the
// engine idle and ready for the next run, and register files replay command by command.
#include "camera/ProtocolFixture.h"
#include "catalogues/ConfigurationTable.h"
#include "support/TempDir.h"
#include "tools/UploadEngine.h"

#include <gtest/gtest.h>

#include <functional>

#include <fstream>
#include <sstream>

namespace corvel::test {
namespace {

using download::UploadEngine;
using download::UploadState;
using download::StartResult;

const char* const kDefect = "-- Column(X),Row(Y),Width(W)\n:Table\n5,10,1\n6,10,2\n7,12\n9,300,3\n";
const char* const kLut = ":Table\n0,100\n1,-2\n2,70000\n";
const char* const kFfc = ":Table\n0,5\n1,6\n2,7\n:FFC_Y\n0,9\n1,10\n";
const char* const kAfe = ":AFE1\n10 20\n11 21\n12 22\n";
const char* const kEmptyDefect = "-- Column(X),Row(Y),Width(W)\r\n:Table\r\n";
const char* const kBottomUpDefect = "-- c\n:Table\n5,10,1\n-- c\n:Table_BottomUp\n9,8000,2\n";

class UploadEngineTest : public EmulatedLinkTest {
protected:
    void SetUp() override
    {
        EmulatedLinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        engine = std::make_unique<UploadEngine>(*link, &clock);
        engine->SetWritePagesFile(files.Path() / "write_pages.txt");
        engine->SetTraceSink([this](const char* op, const std::string& text) { traces.push_back(std::string(op) + "|" + text); });
    }

    std::string File(const std::string& name, const std::string& text)
    {
        files.Write(name, text);
        return (files.Path() / name).string();
    }

    /// Ticks until the run ends (bounded).
    void RunToEnd()
    {
        for (int i = 0; i < 2000 && engine->Running(); ++i)
            engine->Tick();
        ASSERT_FALSE(engine->Running());
    }

    /// A recognisable pattern over a whole sector, without zero bytes.
    static Bytes Pattern()
    {
        Bytes bytes(0x10000);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(1 + (i * 13 + i / 256) % 250);
        return bytes;
    }

    std::string WritePages()
    {
        std::ifstream in(files.Path() / "write_pages.txt");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    TempDir files;
    std::unique_ptr<UploadEngine> engine;
    std::vector<std::string> traces;
};

/// Every table type lands in its sector; a defect table keeps the other half byte for byte.
TEST_F(UploadEngineTest, EachTableTypeProgramsItsSector)
{
    struct Case {
        int type;
        const char* name;
        const char* text;
        bool large;
        int sector;
        int readBack;   // pages read back
        int written;    // pages programmed
        std::uint32_t ownFrom, ownEnd;  // the bytes the file replaces
    };
    const Case cases[] = {
        {0, "u.dcm", kDefect, false, 9, 32, 64, 0x2000, 0x4000},
        {10, "f.dcm", kDefect, false, 9, 32, 64, 0, 0x2000},
        {1, "u.bcm", kDefect, false, 10, 128, 256, 0x8000, 0x10000},
        {11, "f.bcm", kDefect, false, 10, 128, 256, 0, 0x8000},
        {2, "a.ffc", kFfc, false, 11, 0, 128, 0, 0x8000},
        {3, "b.ffc", kFfc, true, 12, 0, 192, 0, 0xC000},
        {4, "a.lut", kLut, false, 5, 0, 64, 0, 0x4000},
        {7, "d.lut", kLut, false, 8, 0, 64, 0, 0x4000},
        {8, "afe.txt", kAfe, false, 13, 0, 1, 0, 0x100},
        {0, "empty.dcm", kEmptyDefect, false, 9, 32, 64, 0x2000, 0x4000},
        {11, "empty.bcm", kEmptyDefect, true, 10, 128, 256, 0, 0x8000},
        // Configuration 10: the terminal counts it as a large sensor.
        {2, "c10.ffc", kFfc, IsLargeSensorForDownload(10), 11, 0, 192, 0, 0xC000},
        {1, "c10.bcm", kBottomUpDefect, IsLargeSensorForDownload(10), 10, 128, 256, 0x8000, 0x10000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes before = Pattern();
        emu.SetFlashBytes(c.sector, 0, before);
        const int readsBefore = emu.FlashCommandCount(4);
        const int programsBefore = emu.FlashCommandCount(3);
        const std::string path = File(c.name, c.text);
        ASSERT_EQ(engine->Start(c.type, path, c.large), StartResult::Started) << engine->Log();
        EXPECT_EQ(engine->TimerId(), c.readBack ? download::kReadTimerId : download::kWriteTimerId);
        RunToEnd();
        EXPECT_NE(engine->Log().find("Writing is done\r\n\r\n"), std::string::npos) << engine->Log();
        EXPECT_EQ(engine->ProgressPos(), c.written);
        EXPECT_EQ(engine->ProgressMax(), c.written);
        EXPECT_EQ(emu.FlashCommandCount(4) - readsBefore, c.readBack * 64);
        EXPECT_EQ(emu.FlashCommandCount(3) - programsBefore, c.written);

        const auto parsed = download::ParseTableFile(c.type, c.text, c.large);
        ASSERT_TRUE(parsed.ok());
        const Bytes flash = emu.FlashBytes(c.sector, 0, 0x10000);
        const Bytes& image = parsed.value().bytes;
        EXPECT_TRUE(std::equal(flash.begin() + c.ownFrom, flash.begin() + c.ownEnd, image.begin() + c.ownFrom));
        if (c.readBack) {
            // The other half came back from the camera and went in again unchanged.
            const std::uint32_t half = (c.ownEnd - c.ownFrom);
            const std::uint32_t otherFrom = c.ownFrom == 0 ? half : 0;
            EXPECT_TRUE(std::equal(flash.begin() + otherFrom, flash.begin() + otherFrom + half, before.begin() + otherFrom));
        }
        const std::uint32_t end = static_cast<std::uint32_t>(c.written) * 256;
        EXPECT_EQ(Bytes(flash.begin() + end, flash.end()), Bytes(0x10000 - end, 0xFF)) << "erased beyond the pages written";
    }
    EXPECT_NE(WritePages().find("sector=9, page=0, buffSize=256, data: "), std::string::npos);
    // The last two cases on configuration 10: Y of the flat field after 0x8000, the bottom-up list at 0xC000.
    EXPECT_EQ(emu.FlashBytes(11, 0x8000, 8), (Bytes{0, 0, 0, 9, 0, 0, 0, 10}));
    EXPECT_EQ(emu.FlashBytes(10, 0xC000, 4), (Bytes{0x40, 0x09, 0x5F, 0x40}));
    EXPECT_EQ(emu.FlashBytes(10, 0xBFFC, 4), (Bytes{0, 0, 0, 0}));
}

TEST_F(UploadEngineTest, BadInputStartsNothing)
{
    EXPECT_EQ(engine->Start(12, File("x.lut", kLut), false), StartResult::TypeUndefined);
    EXPECT_EQ(engine->Start(4, File("x.ffc", kFfc), false), StartResult::BadExtension);
    EXPECT_EQ(engine->Start(4, (files.Path() / "missing.lut").string(), false), StartResult::CannotOpen);
    EXPECT_EQ(engine->Start(9, (files.Path() / "missing.rgs").string(), false), StartResult::DoesNotExist);
    EXPECT_EQ(engine->Start(0, File("bad.dcm", ":Table\n5,10,8\n"), false), StartResult::ParseFailed);
    EXPECT_NE(engine->Log().find("line 2: width 8 is outside 0..7"), std::string::npos) << engine->Log();
    EXPECT_EQ(engine->Start(4, File("bad.lut", "0,1\n"), false), StartResult::ParseFailed);
    EXPECT_EQ(engine->Log().rfind(UploadEngine::kParseErrorText, 0), 0u);
    const std::string huge = File("huge.lut", ":Table\n0,1\n");
    std::filesystem::resize_file(huge, download::kMaxFileBytes + 1);
    EXPECT_EQ(engine->Start(4, huge, false), StartResult::TooLarge);
    EXPECT_NE(engine->Log().find("too large"), std::string::npos) << engine->Log();
    EXPECT_FALSE(engine->Running());
    EXPECT_TRUE(Frames().empty());
}

TEST_F(UploadEngineTest, ReadBackFailureErasesNothingAndLeavesSupervisorMode)
{
    emu.SetFlashBytes(9, 0, Pattern());
    ASSERT_EQ(engine->Start(0, File("u.dcm", kDefect), false), StartResult::Started);
    for (int i = 0; i < 5; ++i)
        engine->Tick();
    emu.FailNextFlashCommand(4, 0x04);
    engine->Tick();
    EXPECT_FALSE(engine->Running());
    EXPECT_NE(engine->Log().find("Reading page #5 failed: read: flash failure (status 4). Operation aborted.\r\n"
                                 "DPM Sector is unchanged: nothing was erased.\r\n"),
              std::string::npos)
        << engine->Log();
    EXPECT_FALSE(emu.SupervisorMode());
    EXPECT_EQ(emu.FlashCommandCount(1), 0);
    const Bytes pattern = Pattern();
    EXPECT_EQ(emu.FlashBytes(9, 0, 0x4000), Bytes(pattern.begin(), pattern.begin() + 0x4000));
    EXPECT_NE(std::find(traces.begin(), traces.end(), "ReadPages|Kill ReadPages. Read Error"), traces.end());

    // The same engine runs the next upload from the start.
    ASSERT_EQ(engine->Start(0, File("u.dcm", kDefect), false), StartResult::Started);
    RunToEnd();
    EXPECT_NE(engine->Log().find("Reading of 32 pages from DPM Sector...\r\n\r\n"), std::string::npos);
    EXPECT_NE(engine->Log().find("Writing is done"), std::string::npos);
}

TEST_F(UploadEngineTest, EraseFailureProgramsNothing)
{
    ASSERT_EQ(engine->Start(4, File("a.lut", kLut), false), StartResult::Started);
    emu.FailNextFlashCommand(1, 0x02);
    engine->Tick();
    EXPECT_FALSE(engine->Running());
    EXPECT_NE(engine->Log().find("Error in LUT1 Sector Erase\r\n\r\nerase: flash failure (status 2).\r\n"
                                 "LUT1 Sector may be partly erased"),
              std::string::npos)
        << engine->Log();
    EXPECT_EQ(emu.FlashCommandCount(3), 0);
    EXPECT_FALSE(emu.SupervisorMode());
}

TEST_F(UploadEngineTest, WriteFailureOrTimeOutIsLoggedAndTraced)
{
    struct Case {
        const char* name;
        std::function<void()> fault;
        const char* cause;
    };
    const Case cases[] = {
        {"failure bit", [this] { emu.FailNextFlashCommand(3, 0x04); }, "write: flash failure (status 4)"},
        {"refused page block", [this] { Refuse(0x0000, 0x15, 0x0B); }, "write: refused by the camera"},
        {"time-out", [this] { Silence(0x6040); }, "write: no answer"},
        {"stays busy", [this] { emu.SetFlashBusyPolls(1000000); }, "write: the flash stays busy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        emu.SetFlashBusyPolls(0);
        ASSERT_EQ(engine->Start(5, File("b.lut", kLut), false), StartResult::Started);
        for (int i = 0; i < 4; ++i)
            engine->Tick();  // erase, pages 0-2
        c.fault();
        engine->Tick();
        EXPECT_FALSE(engine->Running());
        EXPECT_NE(engine->Log().find(std::string("Writing page #3 failed: ") + c.cause), std::string::npos) << engine->Log();
        EXPECT_NE(engine->Log().find("Operation aborted.\r\nLUT2 Sector is left partly programmed: pages 3-63 are erased.\r\n"),
                  std::string::npos)
            << engine->Log();
        EXPECT_EQ(engine->Log().find("Lost connection"), std::string::npos);
        EXPECT_NE(WritePages().find("sector=6, page=3 - write failed\n"), std::string::npos);
        EXPECT_FALSE(emu.SupervisorMode());
        link->GoOnline();
    }
}

TEST_F(UploadEngineTest, CancelStopsBetweenStepsAndTheNextRunStartsOver)
{
    ASSERT_EQ(engine->Start(1, File("u.bcm", kDefect), false), StartResult::Started);
    for (int i = 0; i < 3; ++i)
        engine->Tick();
    engine->Cancel();
    EXPECT_FALSE(engine->Running());
    EXPECT_EQ(engine->TimerId(), 0);
    EXPECT_EQ(engine->ProgressPos(), 0);
    EXPECT_NE(engine->Log().find("\nOperation was aborted\r\nBPM Sector is unchanged: nothing was erased.\r\n"),
              std::string::npos)
        << engine->Log();
    emu.ClearFrames();
    engine->Tick();
    EXPECT_TRUE(Frames().empty());

    ASSERT_EQ(engine->Start(1, File("u.bcm", kDefect), false), StartResult::Started);
    engine->Tick();
    ASSERT_FALSE(Frames().empty());
    EXPECT_EQ(Frames().front(), WriteFrame(0x6014, 0x5E17C4B2));
    EXPECT_NE(engine->Log().find("Reading of 128 pages from BPM Sector"), std::string::npos);
}

// Example failure: a stop after the erase leaves the half that was read back to be kept
// erased (the factory list of a DPM sector is lost), a stop before the erase erases anyway,
// or the log does not say what the sector now holds.
TEST_F(UploadEngineTest, AStopAtAnyPhaseKeepsTheHalfReadBack)
{
    const std::string file = File("d.dcm", "-- Column(X),Row(Y),Width(W)\n:Table\n" + [] {
        std::string lines;  // enough pixels to fill several pages of the space
        for (int row = 1; row <= 300; ++row)
            lines += std::to_string(2 * row + 1) + "," + std::to_string(row) + ",1\n";
        return lines;
    }());
    enum class Stop { Cancel, WriteFails };
    struct Case {
        const char* name;
        int type;               // 0: DPM user (keeps pages 0-31), 10: DPM factory (keeps 32-63)
        int ticksBefore;        // ticks before the busy erase is set and the stop comes
        int busyPolls;          // the erase reads busy this often
        int ticksAfterBusy;
        Stop stop;
        int newFrom, newEnd;    // pages that hold the file afterwards
        bool erased;            // the sector was erased: every other page not kept reads 0xFF
        const char* state;
    };
    const Case cases[] = {
        {"read-back", 10, 5, 0, 0, Stop::Cancel, 0, 0, false, "DPM Sector is unchanged: nothing was erased."},
        {"before the erase", 0, 32, 0, 0, Stop::Cancel, 0, 0, false, "DPM Sector is unchanged"},
        {"during the erase", 0, 32, 4, 1, Stop::Cancel, 0, 0, true,
         "DPM Sector is left partly programmed: pages 32-63 are erased. The half read back to keep (pages 0-31) is "
         "programmed again as it was."},
        {"programming the file's half", 10, 32, 0, 1 + 5, Stop::Cancel, 0, 5, true,
         "pages 5-31 are erased. The half read back to keep (pages 32-63) is programmed again"},
        {"programming the kept half", 0, 32, 0, 1 + 10, Stop::Cancel, 0, 0, true, "pages 32-63 are erased"},
        {"programming after the kept half", 0, 32, 0, 1 + 40, Stop::Cancel, 32, 40, true, "pages 40-63 are erased"},
        {"a page of the file's half fails", 10, 32, 0, 1 + 7, Stop::WriteFails, 0, 7, true,
         "pages 7-31 are erased. The half read back to keep (pages 32-63) is programmed again"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        emu.SetFlashBusyPolls(0);
        const Bytes before = Pattern();
        emu.SetFlashBytes(9, 0, before);
        const int erasesBefore = emu.FlashCommandCount(1);
        ASSERT_EQ(engine->Start(c.type, file, false), StartResult::Started);
        const Bytes image = download::ParseTableFile(c.type, std::string(download::LoadFileBytes(file).value()), false)
                                .value()
                                .bytes;
        for (int i = 0; i < c.ticksBefore; ++i)
            engine->Tick();
        emu.SetFlashBusyPolls(c.busyPolls);
        for (int i = 0; i < c.ticksAfterBusy; ++i)
            engine->Tick();
        ASSERT_TRUE(engine->Running());
        if (c.stop == Stop::Cancel) {
            engine->Cancel();
        } else {
            emu.FailNextFlashCommand(3, 0x02);
            engine->Tick();
        }
        emu.SetFlashBusyPolls(0);
        RunToEnd();
        EXPECT_EQ(emu.FlashCommandCount(1) - erasesBefore, c.erased ? 1 : 0);
        const std::string log = engine->Log();
        EXPECT_NE(log.find(c.state), std::string::npos) << log;
        EXPECT_NE(engine->SectorState().find(c.state), std::string::npos) << engine->SectorState();
        EXPECT_EQ(log.rfind(engine->SectorState() + "\r\n"), log.size() - engine->SectorState().size() - 2)
            << "the state ends the log";

        const Bytes flash = emu.FlashBytes(9, 0, 0x4000);
        const int keptFirst = c.type == 0 ? 0 : 32;
        for (int page = 0; page < 64; ++page) {
            SCOPED_TRACE("page " + std::to_string(page));
            const auto at = [page](const Bytes& b) { return Bytes(b.begin() + page * 256, b.begin() + page * 256 + 256); };
            if (!c.erased || (page >= keptFirst && page < keptFirst + 32)) {
                ASSERT_EQ(at(flash), at(before));
            } else if (page >= c.newFrom && page < c.newEnd) {
                ASSERT_EQ(at(flash), at(image));
            } else {
                ASSERT_EQ(at(flash), Bytes(256, 0xFF));
            }
        }
        // Stopped means stopped: no frame after the end.
        emu.ClearFrames();
        engine->Tick();
        EXPECT_TRUE(Frames().empty());
    }
}

// Example failure: one lost answer to the erase or to one of its status polls ends the run,
// though the camera may go on erasing: the half read back to keep, held only here, is gone;
// or an erase the camera refused is said to have left the sector undefined.
TEST_F(UploadEngineTest, AnEraseTheCameraDoesNotAnswerIsSentAgainUntilGivenUp)
{
    const std::string file = File("f.dcm", kDefect);
    const Bytes before = Pattern();
    const Bytes image =
        download::ParseTableFile(10, std::string(download::LoadFileBytes(file).value()), false).value().bytes;
    const auto startToTheErase = [&] {
        emu.SetFlashBytes(9, 0, before);
        ASSERT_EQ(engine->Start(10, file, false), StartResult::Started);  // DPM factory: keeps pages 32-63
        for (int i = 0; i < 100 && engine->State() != UploadState::Erasing; ++i)
            engine->Tick();
        ASSERT_EQ(engine->State(), UploadState::Erasing);
    };
    emu::Fault silent;
    silent.kind = emu::FaultKind::Silence;

    struct Case {
        const char* name;
        std::function<void()> fault;  // just before the erase
    };
    const Case comesBack[] = {
        {"erase command lost", [this] { Silence(0x6040); }},
        {"status poll lost", [this] { emu.SetFlashBusyPolls(2); Silence(0x6048); }},
    };
    for (const Case& c : comesBack) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(startToTheErase());
        c.fault();
        for (int i = 0; i < 3 && !engine->Retrying(); ++i)
            engine->Tick();
        ASSERT_TRUE(engine->Retrying());
        EXPECT_EQ(engine->TimerPeriodMs(), download::kRetryMs);
        EXPECT_NE(engine->StopConsequence().find("Stopping now loses the half read back to keep (pages 32-63)"),
                  std::string::npos)
            << engine->StopConsequence();
        emu.SetFlashBusyPolls(0);
        RunToEnd();
        EXPECT_NE(engine->Log().find("The camera answers again."), std::string::npos) << engine->Log();
        EXPECT_NE(engine->Log().find("Writing is done"), std::string::npos) << engine->Log();
        EXPECT_EQ(emu.FlashBytes(9, 0, 0x2000), Bytes(image.begin(), image.begin() + 0x2000));
        EXPECT_EQ(emu.FlashBytes(9, 0x2000, 0x2000), Bytes(before.begin() + 0x2000, before.begin() + 0x4000));
    }

    // The camera stays silent: a stop waits on the erase, a second stop gives it up, and the
    // sector is said to be undefined.
    ASSERT_NO_FATAL_FAILURE(startToTheErase());
    emu.SetAddressFault(0x6040, silent);
    engine->Tick();
    ASSERT_TRUE(engine->Retrying());
    engine->Cancel();
    EXPECT_TRUE(engine->Stopping());
    EXPECT_TRUE(engine->Retrying());
    engine->Cancel();
    EXPECT_FALSE(engine->Running());
    EXPECT_NE(engine->Log().find("The erase is given up."), std::string::npos) << engine->Log();
    EXPECT_NE(engine->SectorState().find("DPM Sector may be partly erased"), std::string::npos) << engine->SectorState();
    emu.SetAddressFault(0x6040, emu::Fault{});
    emu.ClearFrames();
    engine->Tick();
    EXPECT_TRUE(Frames().empty());

    // An erase the camera refuses was not carried out: the sector is as it was, and says so.
    ASSERT_NO_FATAL_FAILURE(startToTheErase());
    Refuse(0x6040, 0x15, 0x0B);
    engine->Tick();
    EXPECT_FALSE(engine->Running());
    EXPECT_NE(engine->Log().find("erase: refused by the camera"), std::string::npos) << engine->Log();
    EXPECT_EQ(engine->SectorState(), "DPM Sector is unchanged: nothing was erased.");
    EXPECT_EQ(emu.FlashBytes(9, 0, 0x4000), Bytes(before.begin(), before.begin() + 0x4000));
}

TEST_F(UploadEngineTest, RegisterFileReplaysCommandByCommand)
{
    const std::string path = File("w.rgs", "-- workspace\n57 6034 00000001\n52 6014\n57 7028 <ABCD>\n");
    ASSERT_EQ(engine->Start(9, path, false), StartResult::Started);
    RunToEnd();
    EXPECT_EQ(Frames(), (std::vector<Bytes>{WriteFrame(0x6034, 1), ReadFrame(0x6014), WriteFrame(0x7028, 0x41424344)}));
    EXPECT_NE(engine->Log().find("CMD <57 6034 00000001> \r\nrsp=<06>\r\n"), std::string::npos) << engine->Log();
    EXPECT_NE(engine->Log().find("CMD <52 6014> \r\nrsp=<0600000000>\r\n"), std::string::npos);
    EXPECT_NE(engine->Log().find("Uploading is finished successfully.\r\n"), std::string::npos);
    EXPECT_TRUE(engine->TakeResetNote());
    EXPECT_FALSE(engine->TakeResetNote());
    EXPECT_EQ(engine->KbText(), "0.02KB/0.02KB");
}

TEST_F(UploadEngineTest, RefusedCommandsAreRetriedUpToThreeTimes)
{
    const std::string path = File("w.rgs", "57 6034 00000001\n57 6038 00000002\n");
    // Two refusals, then the command goes through and the replay goes on.
    Refuse(0x6034, 0x15, 0x02);
    Refuse(0x6034, 0x15, 0x02);
    ASSERT_EQ(engine->Start(9, path, false), StartResult::Started);
    RunToEnd();
    EXPECT_EQ(Frames().size(), 4u);
    EXPECT_NE(engine->Log().find("written:errCode <15> <0x0000000f>\r\n"), std::string::npos) << engine->Log();
    EXPECT_NE(engine->Log().find("Uploading is finished successfully."), std::string::npos);
    EXPECT_TRUE(engine->TakeResetNote());

    // Three in a row abort; the next run starts again at the first command.
    emu.ClearFrames();
    for (int i = 0; i < 3; ++i)
        Refuse(0x6038, 0x15, 0x02);
    ASSERT_EQ(engine->Start(9, path, false), StartResult::Started);
    RunToEnd();
    ASSERT_EQ(Frames().size(), 5u) << "the file's error checking is switched back on";
    EXPECT_EQ(Frames()[4], WriteFrame(0x6034, 0));
    EXPECT_NE(engine->Log().find("Operation aborted.\r\n"), std::string::npos);
    EXPECT_EQ(engine->Log().find("finished successfully"), std::string::npos);
    EXPECT_FALSE(engine->TakeResetNote());
    emu.ClearFrames();
    ASSERT_EQ(engine->Start(9, path, false), StartResult::Started);
    engine->Tick();
    EXPECT_EQ(Frames(), (std::vector<Bytes>{WriteFrame(0x6034, 1)}));
}

TEST_F(UploadEngineTest, ReplayStopsAtTheFirstChannelFailure)
{
    const std::string path = File("w.rgs", "57 6034 00000001\n57 6038 00000002\n57 603C 00000003\n");
    ASSERT_EQ(engine->Start(9, path, false), StartResult::Started);
    engine->Tick();
    Silence(0x6038);
    engine->Tick();
    EXPECT_EQ(engine->State(), download::UploadState::Closing) << "the file's error checking is switched back on";
    EXPECT_EQ(engine->TimerPeriodMs(), download::kRetryMs) << "after a pause that lets a late answer in";
    RunToEnd();
    EXPECT_NE(engine->Log().find("Operation aborted.\r\n"), std::string::npos);
    EXPECT_EQ(Frames().size(), 3u) << "the third command is not sent";
    EXPECT_FALSE(engine->TakeResetNote());
}

// Example failure: a port that goes away during the writes and comes back is never opened
// again while the upload holds the channel (the main window's reconnect keeps off it): the
// half read back to keep cannot be written back until the operator gives it up, and is lost.
TEST_F(UploadEngineTest, APortThatComesBackDuringTheWritesGetsTheKeptHalfBack)
{
    const std::string file = File("u.dcm", kDefect);
    const Bytes before = Pattern();
    emu.SetFlashBytes(9, 0, before);
    ASSERT_EQ(engine->Start(0, file, false), StartResult::Started);  // DPM user: keeps pages 0-31
    for (int i = 0; i < 200 && !(engine->State() == UploadState::Writing && engine->ProgressPos() >= 5); ++i)
        engine->Tick();
    ASSERT_EQ(engine->State(), UploadState::Writing);
    emu.UnplugPort(0);
    for (int i = 0; i < 3; ++i)
        engine->Tick();
    ASSERT_EQ(engine->State(), UploadState::WritingBack);
    EXPECT_TRUE(engine->Retrying());
    emu.ReplugPort(0);
    RunToEnd();
    EXPECT_EQ(emu.FlashBytes(9, 0, 0x2000), Bytes(before.begin(), before.begin() + 0x2000)) << engine->Log();
    EXPECT_NE(engine->SectorState().find("The half read back to keep (pages 0-31) is programmed again"),
              std::string::npos)
        << engine->SectorState();
    EXPECT_FALSE(link->PortLost());
}

// Example failure: a register file stopped half-way (Cancel, three refusals, a lost answer)
// leaves the camera in supervisor mode with its error checking off, and nothing says so.
TEST_F(UploadEngineTest, AReplayStoppedHalfWayTakesTheCameraBackToNormalMode)
{
    const std::string path = File("w.rgs", "57 6014 5E17C4B2\n57 6034 00000001\n57 6038 00000002\n57 603C 00000003\n"
                                           "57 6034 00000000\n57 6014 00000000\n");
    const std::string back = "The camera was taken back to normal mode (error checking on, supervisor mode off).";
    struct Case {
        const char* name;
        std::function<void()> stop;  ///< after the first two commands went through
    };
    const Case cases[] = {
        {"Cancel", [&] { engine->Cancel(); }},
        {"Refused", [&] { for (int i = 0; i < 3; ++i) Refuse(0x6038, 0x15, 0x02); }},
        {"Lost", [&] { Silence(0x6038); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        emu.SetRegister(0x6014, 0);
        emu.SetRegister(0x6034, 0);
        ASSERT_EQ(engine->Start(9, path, false), StartResult::Started);
        engine->Tick();
        engine->Tick();
        ASSERT_NE(emu.Register(0x6034), 0u) << "error checking is off after the opening lines";
        emu.ClearFrames();
        c.stop();
        RunToEnd();
        EXPECT_EQ(emu.Register(0x6034), 0u) << engine->Log();
        EXPECT_EQ(emu.Register(0x6014), 0u) << engine->Log();
        const std::vector<Bytes> frames = Frames();
        ASSERT_GE(frames.size(), 2u);
        EXPECT_EQ(frames[frames.size() - 2], WriteFrame(0x6034, 0));
        EXPECT_EQ(frames.back(), WriteFrame(0x6014, 0));
        EXPECT_NE(engine->Log().find(back), std::string::npos) << engine->Log();
        EXPECT_EQ(engine->Log().find("finished successfully"), std::string::npos);
        EXPECT_FALSE(engine->TakeResetNote());
    }

    // A camera that takes none of the closing lines: the log says what it may be left in.
    ASSERT_EQ(engine->Start(9, path, false), StartResult::Started);
    engine->Tick();
    engine->Tick();
    for (int i = 0; i < 8; ++i)
        Silence(0x6034);
    Silence(0x6038);
    RunToEnd();
    EXPECT_NE(engine->Log().find("The camera did not take the closing lines: it may be left in supervisor mode with its "
                                 "error checking off."),
              std::string::npos)
        << engine->Log();
}

}  // namespace
}  // namespace corvel::test
