// The flash operations against the emulated camera's parameter flash: the frames they send,
// what ends up in the flash, and each way they fail (flash failure bits, refusals, silence,
// a flash that stays busy).
#include "camera/ProtocolFixture.h"
#include "tools/FlashAccess.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace corvel::test {
namespace {

class FlashAccessTest : public EmulatedLinkTest {
protected:
    void SetUp() override
    {
        EmulatedLinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        flash = std::make_unique<flash::FlashAccess>(*link, &clock);
    }

    static Bytes Page(std::uint8_t seed)
    {
        Bytes page(flash::kPageBytes);
        for (std::size_t i = 0; i < page.size(); ++i)
            page[i] = static_cast<std::uint8_t>(seed + i * 7);
        return page;
    }

    std::unique_ptr<flash::FlashAccess> flash;
};

TEST_F(FlashAccessTest, SupervisorStepSendsThePasswordAndZero)
{
    ASSERT_TRUE(flash->SetSupervisorMode(true));
    EXPECT_TRUE(emu.SupervisorMode());
    ASSERT_TRUE(flash->SetSupervisorMode(false));
    EXPECT_FALSE(emu.SupervisorMode());
    EXPECT_EQ(Frames(), (std::vector<Bytes>{WriteFrame(0x6014, 0x5E17C4B2), WriteFrame(0x6014, 0)}));
}

TEST_F(FlashAccessTest, WritePageSendsTheBlockWithChecksumThenProgramsThroughBusyPolls)
{
    ASSERT_TRUE(flash->SetSupervisorMode(true));
    emu.SetFlashBusyPolls(3);
    emu.ClearFrames();
    const Bytes page = Page(5);
    ASSERT_TRUE(flash->WriteFlashPage(11, 7, page.data())) << flash->LastError();

    const auto frames = Frames();
    ASSERT_EQ(frames.size(), 1u + 4 + 1 + 4);
    const Bytes& block = frames[0];
    ASSERT_EQ(block.size(), 260u);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 3), (Bytes{0x59, 0x00, 0x00}));
    EXPECT_EQ(Bytes(block.begin() + 3, block.begin() + 259), page);
    EXPECT_EQ(std::accumulate(block.begin() + 3, block.end(), 0u) & 0xFF, 0u);
    EXPECT_EQ(frames[5], (Bytes{0x57, 0x60, 0x40, 0x03, 11, 7, 0x00}));
    for (std::size_t i : {1u, 2u, 3u, 4u, 6u, 7u, 8u, 9u})
        EXPECT_EQ(frames[i], ReadFrame(0x6048)) << i;
    EXPECT_EQ(emu.FlashBytes(11, 7 * 256, 256), page);
    EXPECT_EQ(emu.FlashBytes(11, 6 * 256, 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(FlashAccessTest, ReadWordsComeMostSignificantFirstIntoConsecutiveBytes)
{
    emu.SetFlashBytes(9, 0x2000, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0});
    ASSERT_TRUE(flash->SetSupervisorMode(true));
    emu.SetFlashBusyPolls(2);
    emu.ClearFrames();
    Bytes dst(8, 0);
    ASSERT_TRUE(flash->ReadFlashWords(9, dst.data(), 0x2000, 0x2008)) << flash->LastError();
    EXPECT_EQ(dst, (Bytes{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}));
    const auto frames = Frames();
    ASSERT_EQ(frames.size(), 2u * (1 + 3 + 1));
    EXPECT_EQ(frames[0], (Bytes{0x57, 0x60, 0x40, 0x04, 9, 0x20, 0x00}));
    EXPECT_EQ(frames[4], ReadFrame(0x6044));
    EXPECT_EQ(frames[5], (Bytes{0x57, 0x60, 0x40, 0x04, 9, 0x20, 0x04}));
}

TEST_F(FlashAccessTest, ReadRangesOutsideTheSectorSendNothing)
{
    struct Case {
        std::uint32_t start, end;
    };
    for (const Case c : {Case{2, 8}, Case{0, 6}, Case{8, 8}, Case{8, 4}, Case{0xFFFC, 0x10004}}) {
        Bytes dst(16);
        EXPECT_FALSE(flash->ReadFlashWords(9, dst.data(), c.start, c.end)) << c.start << ".." << c.end;
        EXPECT_FALSE(flash->LastError().empty());
    }
    EXPECT_TRUE(Frames().empty());
}

TEST_F(FlashAccessTest, EraseWaitsAHundredMillisecondsPerPollAndWipesTheSector)
{
    emu.SetFlashBytes(10, 0, Bytes(16, 0x00));
    emu.SetFlashBytes(9, 0, Bytes(4, 0x00));
    ASSERT_TRUE(flash->SetSupervisorMode(true));
    emu.SetFlashBusyPolls(4);
    emu.ClearFrames();
    const auto before = clock.manual.Now();
    ASSERT_TRUE(flash->EraseFlashSector(10)) << flash->LastError();
    EXPECT_EQ(clock.manual.Now() - before, std::chrono::milliseconds(500));
    EXPECT_EQ(Frames().front(), (Bytes{0x57, 0x60, 0x40, 0x01, 10, 0x00, 0x00}));
    EXPECT_EQ(emu.FlashBytes(10, 0, 16), Bytes(16, 0xFF));
    EXPECT_EQ(emu.FlashBytes(9, 0, 4), Bytes(4, 0x00));
}

/// Each operation, and each way it can fail, on a camera in supervisor mode.
TEST_F(FlashAccessTest, FailuresAreReportedNotTakenForSuccess)
{
    enum Op { Erase, Read, Write };
    struct Case {
        const char* name;
        Op op;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"erase bit 1", Erase, [this] { emu.FailNextFlashCommand(1, 0x02); }},
        {"erase bit 2", Erase, [this] { emu.FailNextFlashCommand(1, 0x04); }},
        {"erase refused", Erase, [this] { Refuse(0x6040, 0x15, 0x0B); }},
        {"erase poll silent", Erase, [this] { Silence(0x6048); }},
        {"erase busy forever", Erase, [this] { emu.SetFlashBusyPolls(1000000); }},
        {"read bit 2", Read, [this] { emu.FailNextFlashCommand(4, 0x04); }},
        {"read bit 1", Read, [this] { emu.FailNextFlashCommand(4, 0x02); }},
        {"read data silent", Read, [this] { Silence(0x6044); }},
        {"read data refused", Read, [this] { Refuse(0x6044, 0x15, 0x02); }},
        {"read busy forever", Read, [this] { emu.SetFlashBusyPolls(1000000); }},
        {"program bit 1", Write, [this] { emu.FailNextFlashCommand(3, 0x02); }},
        {"program bit 2", Write, [this] { emu.FailNextFlashCommand(3, 0x04); }},
        {"block refused", Write, [this] { Refuse(0x0000, 0x15, 0x0B); }},
        {"program silent", Write, [this] { Silence(0x6040); }},
        {"write busy forever", Write, [this] { emu.SetFlashBusyPolls(1000000); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        emu.SetFlashBusyPolls(0);
        ASSERT_TRUE(flash->SetSupervisorMode(true));
        c.arrange();
        Bytes buffer = Page(1);
        bool ok = true;
        switch (c.op) {
        case Erase: ok = flash->EraseFlashSector(3); break;
        case Read: ok = flash->ReadFlashWords(3, buffer.data(), 0, 8); break;
        case Write: ok = flash->WriteFlashPage(3, 0, buffer.data()); break;
        }
        EXPECT_FALSE(ok);
        EXPECT_FALSE(flash->LastError().empty());
        link->GoOnline();
    }
}

TEST_F(FlashAccessTest, WithoutSupervisorModeTheFlashStaysAsItIs)
{
    const Bytes page = Page(9);
    EXPECT_FALSE(flash->WriteFlashPage(5, 0, page.data()));  // the page block is refused
    flash->EraseFlashSector(5);
    EXPECT_EQ(emu.FlashBytes(5, 0, 256), Bytes(256, 0xFF));
    EXPECT_EQ(emu.FlashCommandCount(1) + emu.FlashCommandCount(3), 0);
}

}  // namespace
}  // namespace corvel::test
