// The bad pixel map editor's engine on the emulated camera's parameter flash: the rows each
// kind of space decodes into (defect lists with and without a bottom-up list, flat-field
// tables, the AFE image), a pixel added to the camera with the other half of the sector kept,
// each way the flash or the camera can fail on the way, and a saved list that the download
// terminal's parser turns back into the very words the camera holds.
#include "camera/ProtocolFixture.h"
#include "support/TempDir.h"
#include "tools/DefectMapEngine.h"
#include "tools/DownloadParsers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace corvel::test {
namespace {

using defect::MakeDefectWord;
using dpm::AddResult;
using dpm::DefectMapEngine;
using dpm::ListRow;
using Words = std::vector<std::uint32_t>;

constexpr std::uint16_t kFrameHeightRegister = 0x6120;
constexpr std::uint8_t kErase = 0x01, kProgram = 0x03, kReadWord = 0x04;

/// A lone pixel's word: bit 30 at an odd column, bit 31 at the odd column before an even one.
std::uint32_t Pixel(std::uint32_t column, std::uint32_t row, std::uint32_t width = 1)
{
    return column & 1u ? MakeDefectWord(false, true, column, row, width)
                       : MakeDefectWord(true, false, column - 1, row, width);
}

Bytes WordBytes(const Words& words)
{
    Bytes bytes;
    for (std::uint32_t w : words)
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<std::uint8_t>(w >> shift));
    return bytes;
}

ListRow Row(const std::string& num, std::uint32_t x, std::uint32_t y, std::uint32_t c)
{
    return {num, std::to_string(x), std::to_string(y), std::to_string(c)};
}

const ListRow kSeparator = {"BottomUp", "====", "====", "===="};

class DefectMapEngineTest : public EmulatedLinkTest {
protected:
    void SetUp() override
    {
        EmulatedLinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Define("VerFrameSizeMax", OrvParam_Int, MakeLink(kFrameHeightRegister, 0xFFFFFFFF, 0, "vfsm", "CAMERA/VerFrameSizeMax"));
        emu.SetRegister(kFrameHeightRegister, 2048);
        // Sectors as the editor and the download terminal leave them: zero after the lists.
        for (int sector : {9, 10, 11, 12, 13})
            emu.SetFlashBytes(sector, 0, Bytes(0x10000, 0));
    }

    void Open(bool large) { engine = std::make_unique<DefectMapEngine>(*link, large, &clock); }

    void Put(int sector, std::uint32_t offset, const Words& words) { emu.SetFlashBytes(sector, offset, WordBytes(words)); }

    /// Ticks until the engine is idle; fails when it does not get there (a reader that loops).
    void RunToEnd(int limit = 5000)
    {
        for (int i = 0; i < limit && engine->Busy(); ++i)
            engine->Tick();
        ASSERT_FALSE(engine->Busy()) << "the engine did not come to an end";
    }

    void Read(int space)
    {
        ASSERT_TRUE(engine->StartRead(space));
        RunToEnd();
    }

    /// Adds the pixel and runs the write and the read that follows it to their end.
    AddResult Add(std::uint32_t x, std::uint32_t y)
    {
        emu.ClearFrames();
        const AddResult result = engine->StartAdd(x, y);
        RunToEnd();
        return result;
    }

    std::unique_ptr<DefectMapEngine> engine;
};

// Example failure: a paired word shows one row, the row or column fields are cut wrongly, a
// word after the terminator is shown, or a sensor that is not large reads the bottom-up list.
TEST_F(DefectMapEngineTest, DefectListOfASmallSensorDecodesIntoRows)
{
    Open(false);
    Put(9, 0x2000, {0xC005200A, Pixel(8, 10, 3), Pixel(8191, 8191, 7),
                    // A column field beyond 13 bits is read with the small sensor's mask.
                    MakeDefectWord(false, true, 0x3001, 12, 0), 0, Pixel(21, 22)});
    Put(9, 0x3000, {Pixel(31, 40)});  // a bottom-up list, which this sensor does not have
    Read(dpm::kDpmUser);
    EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{Row("1", 5, 10, 1), Row("1", 6, 10, 1), Row("2", 8, 10, 3),
                                                    Row("3", 8191, 8191, 7), Row("4", 0x1001, 12, 0)}));
    EXPECT_EQ(engine->TopDown().at(10), (std::map<std::uint32_t, std::uint32_t>{{5, 1}, {6, 1}, {8, 3}}));
    EXPECT_TRUE(engine->BottomUp().empty());
    EXPECT_EQ(engine->LastError(), "");
    EXPECT_FALSE(emu.SupervisorMode());
}

// Example failure: the bottom-up list is not found, is numbered from 0, lacks its separator, or
// lands in the top-down map.
TEST_F(DefectMapEngineTest, LargeSensorReadsTheBottomUpListAfterItsSeparator)
{
    Open(true);
    Put(10, 0, {Pixel(9, 2), Pixel(16001, 3)});
    Put(10, 0x4000, {Pixel(3, 900), Pixel(4, 900), Pixel(7, 800)});
    Read(dpm::kBpmFactory);
    EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{Row("1", 9, 2, 1), Row("2", 16001, 3, 1), kSeparator,
                                                    Row("4097", 3, 900, 1), Row("4098", 4, 900, 1), Row("4099", 7, 800, 1)}));
    EXPECT_EQ(engine->TopDown().size(), 2u);
    EXPECT_EQ(engine->BottomUp().size(), 2u);
    EXPECT_FALSE(emu.SupervisorMode());

    // A user space counts from its own first page.
    Put(9, 0x2000, {Pixel(11, 4)});
    Put(9, 0x3000, {Pixel(13, 5)});
    Read(dpm::kDpmUser);
    EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{Row("1", 11, 4, 1), kSeparator, Row("1025", 13, 5, 1)}));
}

// Example failure: a read stopped half way leaves the camera in supervisor mode, or its partial
// list can be written back over the pixels not read.
TEST_F(DefectMapEngineTest, StoppedReadLeavesSupervisorModeAndRefusesAnAdd)
{
    Open(false);
    Put(9, 0, Words(100, Pixel(3, 7)));
    ASSERT_TRUE(engine->StartRead(dpm::kDpmFactory));
    engine->Tick();
    ASSERT_TRUE(engine->Busy());
    engine->CancelRead();
    EXPECT_FALSE(engine->Busy());
    EXPECT_FALSE(emu.SupervisorMode());
    EXPECT_EQ(engine->Rows().size(), 64u);
    EXPECT_EQ(engine->StartAdd(5, 5), AddResult::ListIncomplete);
    EXPECT_FALSE(engine->Busy());
}

// Example failure: a flash whose top-down list runs past the bottom-up page makes the reader
// jump back and loop for ever; an erased flash shows thousands of bogus pixels.
TEST_F(DefectMapEngineTest, MalformedAndErasedListsEndTheReading)
{
    struct Case {
        const char* name;
        std::function<void()> flash;
        std::size_t rows;
    } cases[] = {
        {"top-down runs past the bottom-up page",
         [this] {
             Words words(17 * 64, Pixel(1, 5));  // pages 0..16 of the DPM factory space
             Put(9, 0, words);
         },
         17 * 64},
        {"word before the bottom-up page is not 0",
         [this] {
             Put(9, 0, {Pixel(1, 5)});
             Put(9, 0x1000 - 4, {Pixel(3, 3), Pixel(5, 5)});
         },
         1},
        {"erased flash", [this] { emu.SetFlashBytes(9, 0, Bytes(0x4000, 0xFF)); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        emu.SetFlashBytes(9, 0, Bytes(0x4000, 0));
        c.flash();
        Open(true);
        Read(dpm::kDpmFactory);
        EXPECT_EQ(engine->Rows().size(), c.rows);
        EXPECT_EQ(std::count(engine->Rows().begin(), engine->Rows().end(), kSeparator), 0);
        EXPECT_EQ(engine->LastError(), "");
    }
}

// Example failure: flat-field values lose their high bit, a large sensor reads the Y table of
// the small one, AFE sections are named or numbered wrongly, or the offset is not the sector's.
TEST_F(DefectMapEngineTest, FlatFieldAndAfeSpacesShowTheirRows)
{
    Open(false);
    Put(11, 0x4000, {7, 0x80000001, 0, 9});
    Read(dpm::kFfcYFactory);
    EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{{"1", "7", "", ""}, {"2", "2147483649", "", ""}}));

    Open(true);
    Put(11, 0x8000, {12});
    Read(dpm::kFfcYFactory);
    EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{{"1", "12", "", ""}}));

    Put(13, 0, {0x00100020, 0xABCD0021, 0, 0x00990099});
    Put(13, 0x2000, {0x00300040});
    Put(13, 0x2004, {0xFFFFFFFF});
    Put(13, 0x4000, {0x00500060});
    Read(dpm::kAfe);
    EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{{"AFE_D1", "AFE_D1", "AFE_D1", ""},
                                                    {"1(0x0000)", "0010", "0020", ""},
                                                    {"2(0x0004)", "abcd", "0021", ""},
                                                    {"", "", "", ""},
                                                    {"AFE_N1", "AFE_N1", "AFE_N1", ""},
                                                    {"1(0x2000)", "0030", "0040", ""}}));
}

// Example failure: a failed page read throws away what was decoded, leaves the camera in
// supervisor mode or reports nothing; a refused supervisor step still reads.
TEST_F(DefectMapEngineTest, FailuresWhileReadingKeepThePartialListAndSayWhy)
{
    Open(false);
    Words words(64, Pixel(3, 7));
    words.push_back(Pixel(5, 9));
    Put(9, 0, words);
    ASSERT_TRUE(engine->StartRead(dpm::kDpmFactory));
    engine->Tick();  // page 0
    Silence(0x6044);
    RunToEnd();
    EXPECT_EQ(engine->Rows().size(), 64u);
    EXPECT_NE(engine->LastError().find("Reading of DPM Factory Space stopped at page #1"), std::string::npos)
        << engine->LastError();
    EXPECT_FALSE(emu.SupervisorMode());
    // A list read in part is never written back: the pixels not read would be lost.
    emu.ClearFrames();
    EXPECT_EQ(engine->StartAdd(9, 9), AddResult::ListIncomplete);
    EXPECT_TRUE(Frames().empty());

    Refuse(0x6014, 0x15, 0x0B);
    Read(dpm::kDpmFactory);
    EXPECT_TRUE(engine->Rows().empty());
    EXPECT_NE(engine->LastError().find("Reading of DPM Factory Space failed"), std::string::npos) << engine->LastError();
}

// Example failure: the neighbour of a pixel gets a word of its own, the other half of the
// sector is lost or shifted, pages are left unprogrammed, or the re-read list is stale.
TEST_F(DefectMapEngineTest, AddedPixelPairsWithItsNeighbourAndKeepsTheOtherHalf)
{
    Open(false);
    Put(9, 0, {Pixel(7, 10, 2), Pixel(30, 11)});
    Words user(70);
    for (std::size_t i = 0; i < user.size(); ++i)
        user[i] = Pixel(static_cast<std::uint32_t>(2 * i + 1), 100);
    Put(9, 0x2000, user);
    const Bytes otherHalf = emu.FlashBytes(9, 0x2000, 0x2000);
    Read(dpm::kDpmFactory);

    ASSERT_EQ(Add(8, 10), AddResult::Started);
    EXPECT_EQ(engine->LastError(), "");
    EXPECT_EQ(emu.FlashBytes(9, 0, 12), WordBytes({MakeDefectWord(true, true, 7, 10, 2), Pixel(30, 11), 0}));
    EXPECT_EQ(emu.FlashBytes(9, 0x2000, 0x2000), otherHalf);
    EXPECT_EQ(emu.FlashCommandCount(kErase), 1);
    EXPECT_EQ(emu.FlashCommandCount(kProgram), 64);
    EXPECT_FALSE(emu.SupervisorMode());
    EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{Row("1", 7, 10, 2), Row("1", 8, 10, 2), Row("2", 30, 11, 1)}));

    // A pixel the top-down list holds already sends nothing.
    emu.ClearFrames();
    EXPECT_EQ(engine->StartAdd(8, 10), AddResult::AlreadyListed);
    EXPECT_FALSE(engine->Busy());
    EXPECT_TRUE(Frames().empty());
}

// Example failure: a row past 8191 or a column past the sensor's field is written with its high
// bits cut off, that is, as another pixel.
TEST_F(DefectMapEngineTest, PixelsOutsideTheDefectWordAreRefused)
{
    struct Case {
        bool large;
        std::uint32_t x, y;
        AddResult result;
    } cases[] = {
        {false, 8192, 5, AddResult::OutOfRange}, {false, 5, 8192, AddResult::OutOfRange},
        {true, 16384, 5, AddResult::OutOfRange}, {true, 5, 0, AddResult::OutOfRange},
        {false, 0, 5, AddResult::OutOfRange},    {true, 16383, 8191, AddResult::Started},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        Open(c.large);
        Read(dpm::kDpmUser);
        EXPECT_EQ(Add(c.x, c.y), c.result);
        EXPECT_EQ(emu.FlashCommandCount(kErase) > 0, c.result == AddResult::Started);
    }
}

// Example failure: the erase waits for the flash within one step, so the window freezes for the
// whole erase instead of repainting between the status polls.
TEST_F(DefectMapEngineTest, EraseWaitsOnePollIntervalPerStep)
{
    Open(false);
    Read(dpm::kDpmUser);
    emu.SetFlashBusyPolls(3);
    ASSERT_EQ(engine->StartAdd(5, 5), AddResult::Started);
    for (int i = 0; i < 1000 && engine->CurrentPhase() != dpm::Phase::Erasing; ++i)
        engine->Tick();
    int steps = 0;
    while (engine->CurrentPhase() == dpm::Phase::Erasing && steps < 1000) {
        const std::size_t sleeps = clock.manual.Sleeps().size();
        engine->Tick();
        EXPECT_LE(clock.manual.Sleeps().size() - sleeps, 1u);
        ++steps;
    }
    EXPECT_EQ(steps, 1 + 4);  // the command, three busy polls and the ready one
    RunToEnd();
    EXPECT_EQ(engine->LastError(), "");
    EXPECT_EQ(emu.FlashBytes(9, 0x2000, 4), WordBytes({Pixel(5, 5)}));
}

// Example failure: a lower-half pixel goes into the top-down list, an unreadable frame height
// sends every pixel to the bottom-up list, or the bottom-up list is written top-down.
TEST_F(DefectMapEngineTest, LargeSensorPutsLowerHalfPixelsIntoTheBottomUpList)
{
    Open(true);
    Put(10, 0x8000, {Pixel(1, 1)});  // BPM user space: stays as it is
    Put(10, 0x4000, {Pixel(5, 1500)});
    Read(dpm::kBpmFactory);
    ASSERT_EQ(engine->BottomUp().size(), 1u);

    ASSERT_EQ(Add(9, 1100), AddResult::Started);  // 2048 / 2 < 1100: bottom-up
    ASSERT_EQ(Add(9, 1000), AddResult::Started);  // top-down
    EXPECT_EQ(engine->LastError(), "");
    EXPECT_EQ(emu.FlashBytes(10, 0, 8), WordBytes({Pixel(9, 1000), 0}));
    EXPECT_EQ(emu.FlashBytes(10, 0x3FFC, 16), WordBytes({0, Pixel(5, 1500), Pixel(9, 1100), 0}));
    EXPECT_EQ(emu.FlashBytes(10, 0x8000, 8), WordBytes({Pixel(1, 1), 0}));
    EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{Row("1", 9, 1000, 1), kSeparator, Row("4097", 5, 1500, 1),
                                                    Row("4098", 9, 1100, 1)}));

    // Without the frame height (refused, or a height of 0) the list a pixel belongs to is
    // unknown: nothing is written.
    const int erases = emu.FlashCommandCount(kErase);
    const Bytes before = emu.FlashBytes(10, 0, 0x10000);
    Refuse(kFrameHeightRegister, 0x15, 0x0B);
    EXPECT_EQ(Add(11, 1200), AddResult::FrameSizeUnknown);
    emu.SetRegister(kFrameHeightRegister, 0);
    EXPECT_EQ(Add(13, 1), AddResult::FrameSizeUnknown);
    EXPECT_NE(engine->LastError().find("VerFrameSizeMax"), std::string::npos);
    EXPECT_EQ(emu.FlashCommandCount(kErase), erases);
    EXPECT_EQ(emu.FlashBytes(10, 0, 0x10000), before);
}

// Example failure: on a configuration this editor does not count as large (10), the download
// terminal's bottom-up list of the other half is not read back and an add erases it; or the
// edited space's own bottom-up list, which the list does not show, is written over.
TEST_F(DefectMapEngineTest, ABottomUpListTheListDoesNotShowSurvivesAnAdd)
{
    Open(false);
    struct Case {
        const char* name;
        int space;          // the space a pixel is added to
        int sector;
        std::uint32_t otherHalf, half, bottomUp;  // the other half's offset, a half's length, bottom-up start in it
    };
    const Case cases[] = {
        {"BPM factory, user half kept", dpm::kBpmFactory, 10, 0x8000, 0x8000, 0x4000},
        {"BPM user, factory half kept", dpm::kBpmUser, 10, 0x0000, 0x8000, 0x4000},
        {"DPM user, factory half kept", dpm::kDpmUser, 9, 0x0000, 0x2000, 0x1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        emu.SetFlashBytes(c.sector, 0, Bytes(0x10000, 0));
        Put(c.sector, c.otherHalf, {Pixel(1, 1), Pixel(4, 2)});
        Put(c.sector, c.otherHalf + c.bottomUp, {Pixel(9, 7000), Pixel(3, 6000)});
        Read(c.space);
        const Bytes before = emu.FlashBytes(c.sector, c.otherHalf, c.half);
        ASSERT_EQ(Add(11, 20), AddResult::Started);
        EXPECT_EQ(engine->LastError(), "");
        EXPECT_EQ(emu.FlashBytes(c.sector, c.otherHalf, c.half), before);
        EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{Row("1", 11, 20, 1)}));
    }

    // The edited space holds a bottom-up list of its own: writing it from the list would drop
    // that list, so nothing is erased.
    emu.SetFlashBytes(10, 0, Bytes(0x10000, 0));
    Put(10, 0x8000, {Pixel(1, 1)});
    Put(10, 0xC000, {Pixel(9, 7000)});
    Read(dpm::kBpmUser);
    EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{Row("1", 1, 1, 1)}));
    const Bytes before = emu.FlashBytes(10, 0, 0x10000);
    const int erases = emu.FlashCommandCount(kErase);
    ASSERT_EQ(Add(5, 5), AddResult::Started);
    EXPECT_NE(engine->LastError().find("holds a bottom-up list from page #192"), std::string::npos) << engine->LastError();
    EXPECT_EQ(emu.FlashCommandCount(kErase), erases);
    EXPECT_EQ(emu.FlashBytes(10, 0, 0x10000), before);
    EXPECT_FALSE(emu.SupervisorMode());
    EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{Row("1", 1, 1, 1)}));
}

// Example failure: a failed read-back still erases the sector (the other list is lost), a
// failed erase still programs, a page the camera does not take once loses the rest of its
// half, or a failed page in one half stops the other half's pages.
TEST_F(DefectMapEngineTest, FlashFailuresWhileAddingLoseNothingAndAreReported)
{
    Open(false);
    Put(9, 0x2000, {Pixel(3, 3)});
    Put(9, 0, {Pixel(5, 5)});
    const Bytes before = emu.FlashBytes(9, 0, 0x4000);
    Read(dpm::kDpmUser);

    struct Case {
        const char* name;
        std::function<void()> fault;
        const char* error;
        int erases, programs;
    } cases[] = {
        {"read-back fails", [this] { emu.FailNextFlashCommand(kReadWord, 0x04); }, "Nothing was erased", 0, 0},
        {"erase fails", [this] { emu.FailNextFlashCommand(kErase, 0x04); }, "Nothing was programmed", 0, 0},
        {"supervisor refused", [this] { Refuse(0x6014, 0x15, 0x0B); }, "was not added", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        emu.ClearFrames();
        const int erases = emu.FlashCommandCount(kErase), programs = emu.FlashCommandCount(kProgram);
        c.fault();
        ASSERT_EQ(engine->StartAdd(7, 7), AddResult::Started);
        RunToEnd();
        EXPECT_NE(engine->LastError().find(c.error), std::string::npos) << engine->LastError();
        EXPECT_EQ(emu.FlashCommandCount(kErase) - erases, c.erases);
        EXPECT_EQ(emu.FlashCommandCount(kProgram) - programs, c.programs);
        EXPECT_EQ(emu.FlashBytes(9, 0, 0x4000), before);
        EXPECT_FALSE(emu.SupervisorMode());
        // The list is the camera's again, without the pixel.
        EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{Row("1", 3, 3, 1)}));
    }

    // A page the camera does not take is tried again, and taken: nothing is lost.
    const auto tickUntilFailing = [this] {
        for (int i = 0; i < 200 && !engine->StepFailing(); ++i)
            engine->Tick();
        ASSERT_TRUE(engine->StepFailing());
    };
    emu.FailNextFlashCommand(kProgram, 0x04);
    ASSERT_EQ(engine->StartAdd(7, 7), AddResult::Started);
    ASSERT_NO_FATAL_FAILURE(tickUntilFailing());
    EXPECT_NE(engine->FailingText().find("pages 32-63 of this space (the other space, pages 0-31, is programmed after "
                                              "them) are not written yet"),
              std::string::npos)
        << engine->FailingText();
    RunToEnd();
    EXPECT_EQ(engine->LastError(), "");
    EXPECT_EQ(emu.FlashBytes(9, 0, 0x2000), Bytes(before.begin(), before.begin() + 0x2000));
    EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{Row("1", 3, 3, 1), Row("2", 7, 7, 1)}));

    // A page that keeps failing, given up: the rest of this space is skipped, the other half
    // is still written.
    emu.FailNextFlashCommand(kProgram, 0x04);
    ASSERT_EQ(engine->StartAdd(9, 9), AddResult::Started);
    ASSERT_NO_FATAL_FAILURE(tickUntilFailing());
    for (int i = 0; i < 3; ++i) {
        emu.FailNextFlashCommand(kProgram, 0x04);
        engine->Tick();
        ASSERT_TRUE(engine->StepFailing());
    }
    EXPECT_EQ(emu.FlashBytes(9, 0x2000, 0x2000), Bytes(0x2000, 0xFF));
    engine->GiveUpFailingStep();
    RunToEnd();
    EXPECT_NE(engine->LastError().find("Programming page #32 of DPM Sector failed (write: flash failure (status 4)); "
                                       "pages 32-63 of this space were given up"),
              std::string::npos)
        << engine->LastError();
    EXPECT_EQ(emu.FlashBytes(9, 0, 0x2000), Bytes(before.begin(), before.begin() + 0x2000));
    EXPECT_EQ(emu.FlashBytes(9, 0x2000, 4), Bytes(4, 0xFF));

    // The erase gets no answer: it is sent again until the camera answers, or given up.
    const auto tickToTheErase = [this] {
        for (int i = 0; i < 200 && engine->CurrentPhase() != dpm::Phase::Erasing; ++i)
            engine->Tick();
        ASSERT_EQ(engine->CurrentPhase(), dpm::Phase::Erasing);
    };
    ASSERT_EQ(engine->StartAdd(11, 11), AddResult::Started);
    ASSERT_NO_FATAL_FAILURE(tickToTheErase());
    Silence(0x6040);
    engine->Tick();
    ASSERT_TRUE(engine->StepFailing());
    EXPECT_NE(engine->FailingText().find("Erasing DPM Sector failed (erase: no answer"), std::string::npos)
        << engine->FailingText();
    RunToEnd();
    EXPECT_EQ(engine->LastError(), "");
    EXPECT_EQ(emu.FlashBytes(9, 0, 0x2000), Bytes(before.begin(), before.begin() + 0x2000));
    EXPECT_EQ(engine->Rows(), (std::vector<ListRow>{Row("1", 11, 11, 1)}));

    emu::Fault silent;
    silent.kind = emu::FaultKind::Silence;
    const int programsBeforeGiveUp = emu.FlashCommandCount(kProgram);
    ASSERT_EQ(engine->StartAdd(13, 13), AddResult::Started);
    ASSERT_NO_FATAL_FAILURE(tickToTheErase());
    emu.SetAddressFault(0x6040, silent);
    engine->Tick();
    engine->Tick();
    ASSERT_TRUE(engine->StepFailing());
    engine->GiveUpFailingStep();
    emu.SetAddressFault(0x6040, emu::Fault{});
    RunToEnd();
    EXPECT_NE(engine->LastError().find("erasing DPM Sector failed (erase: no answer"), std::string::npos)
        << engine->LastError();
    EXPECT_NE(engine->LastError().find("was given up; the sector may be partly erased"), std::string::npos)
        << engine->LastError();
    EXPECT_EQ(emu.FlashCommandCount(kProgram) - programsBeforeGiveUp, 0);
}

// Example failure: an add whose top-down words reach the bottom-up list overwrites it, or fills
// the area without a terminator.
TEST_F(DefectMapEngineTest, AnAddThatNoLongerFitsIsRefusedBeforeAnythingIsSent)
{
    Open(true);
    Words full(1023);  // the DPM top-down area up to the word before the bottom-up list
    for (std::size_t i = 0; i < full.size(); ++i)
        full[i] = Pixel(static_cast<std::uint32_t>(1 + 2 * (i % 4000)), static_cast<std::uint32_t>(1 + i / 8));
    Put(9, 0, full);
    Put(9, 0x1000, {Pixel(1, 4000)});
    Read(dpm::kDpmFactory);
    ASSERT_EQ(engine->LastError(), "");
    ASSERT_EQ(engine->BottomUp().size(), 1u);
    const Bytes before = emu.FlashBytes(9, 0, 0x4000);

    EXPECT_EQ(Add(3, 1000), AddResult::ListFull);
    EXPECT_NE(engine->LastError().find("top-down list needs 1024 words"), std::string::npos) << engine->LastError();
    EXPECT_EQ(emu.FlashCommandCount(kErase), 0);
    EXPECT_EQ(emu.FlashBytes(9, 0, 0x4000), before);
    // Its neighbour needs no new word and goes in.
    EXPECT_EQ(Add(2, 1), AddResult::Started);
    EXPECT_EQ(engine->LastError(), "");
    EXPECT_EQ(emu.FlashBytes(9, 0, 4), WordBytes({MakeDefectWord(true, true, 1, 1, 1)}));
    EXPECT_EQ(emu.FlashBytes(9, 0x1000, 4), WordBytes({Pixel(1, 4000)}));
}

// Example failure: the saved file pairs pixels differently, misses the bottom-up tag, or is
// written with bare LF; the download terminal would then write other words than the camera had.
TEST_F(DefectMapEngineTest, SavedListParsesBackIntoTheSameFlashWords)
{
    struct Case {
        const char* name;
        bool large;
        int space, type;
        int sector;
        std::uint32_t half, length;
        std::function<void()> flash;
    } cases[] = {
        {"DPM user, small sensor", false, dpm::kDpmUser, download::kDpmUser, 9, 0x2000, 0x2000,
         [this] {
             Put(9, 0x2000, {0xC005200A, Pixel(8, 10, 3), Pixel(1, 11), Pixel(8000, 8191, 7)});
         }},
        {"BPM factory, large sensor with bottom-up list", true, dpm::kBpmFactory, download::kBpmFactory, 10, 0, 0x8000,
         [this] {
             Put(10, 0, {Pixel(16383, 1), MakeDefectWord(true, true, 9, 2, 0)});
             Put(10, 0x4000, {Pixel(6, 3000, 2), Pixel(1, 2000), MakeDefectWord(true, true, 3, 2000, 1)});
         }},
    };
    TempDir folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.flash();
        Open(c.large);
        Read(c.space);
        // The camera's list after an add by the editor, too.
        ASSERT_EQ(Add(101, 3), AddResult::Started);
        ASSERT_EQ(engine->LastError(), "");

        const std::string path = (folder.Path() / "table.map").string();
        std::string error;
        ASSERT_TRUE(dpm::SaveListFile(path, engine->Rows(), &error)) << error;
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        EXPECT_EQ(text.str().rfind("-- Column(X),Row(Y),Width(W)\r\n:Table\r\n", 0), 0u);
        EXPECT_EQ(text.str().find(":Table_BottomUp\r\n") != std::string::npos, c.large);

        const auto parsed = download::ParseDefectTable(c.type, text.str(), c.large);
        ASSERT_TRUE(parsed.ok()) << parsed.error().Message();
        const Bytes& image = parsed.value().bytes;
        EXPECT_EQ(Bytes(image.begin() + c.half, image.begin() + c.half + c.length), emu.FlashBytes(c.sector, c.half, c.length));
    }
}

// Example failure: a flat-field list is saved without its empty fields, or a file that cannot
// be written replaces the old one with a truncated copy.
TEST_F(DefectMapEngineTest, SavingFlatFieldRowsAndAnUnwritablePath)
{
    Open(false);
    Put(12, 0, {40, 41});
    Read(dpm::kFfcXUser);
    EXPECT_EQ(dpm::FormatListFile(engine->Rows()), "-- Column(X),Row(Y),Width(W)\r\n:Table\r\n40,,\r\n41,,\r\n");
    EXPECT_STREQ(dpm::SaveFilterOf(dpm::kFfcXUser), "Text File(*.txt)|*.txt||");
    EXPECT_STREQ(dpm::SaveFilterOf(dpm::kBpmUser), "Bad Pixels Map File(*.bcm)|*.bcm||");
    EXPECT_STREQ(dpm::SaveFilterOf(dpm::kDpmFactory), "Dead Pixels Map File(*.dcm)|*.dcm||");

    TempDir folder;
    std::string error;
    EXPECT_FALSE(dpm::SaveListFile((folder.Path() / "missing" / "t.txt").string(), engine->Rows(), &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace corvel::test
