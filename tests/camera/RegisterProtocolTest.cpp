// The register protocol against the emulated camera: exchanges, waits, raw and flash frames,
// and how refusals reach the operator.
#include "ProtocolFixture.h"

#include "camera/clser.h"

#include <gtest/gtest.h>

using namespace corvel::test;

namespace {

class RegisterProtocolTest : public EmulatedLinkTest {};

enum class Setup { None, RefuseCode4, RefuseThen20, RefuseRead, Silence, PartialData, PartialDataReadsOk, WriteFails };

struct TransactRow {
    const char* name;
    Bytes frame;
    Setup setup;
    int result;
    std::uint32_t received;
    Bytes answerStart;
    bool online;
};

}  // namespace

// Example failure: a short answer is taken as success with zero-filled data, drained bytes
// overwrite the error code, a silent camera keeps the link online, or a refusal drains forever.
TEST_F(RegisterProtocolTest, TransactTable)
{
    emu.SetRegister(0x1234, 0xA1B2C3D4);
    const TransactRow rows[] = {
        {"accepted_write", WriteFrame(0x0100, 5), Setup::None, 0, 1, {0x06}, true},
        {"accepted_read", ReadFrame(0x1234), Setup::None, 0, 5, {0x06, 0xA1, 0xB2, 0xC3, 0xD4}, true},
        {"refused_write_code_4", WriteFrame(0x0100, 5), Setup::RefuseCode4, 15, 2, {0x15, 0x04, 0x00}, true},
        {"refusal_drains_16_bytes_in_order", WriteFrame(0x0100, 5), Setup::RefuseThen20, 15, 17,
         {0x15, 0x04, 0xE0, 0xE1, 0xE2}, true},
        {"refused_read_status_only", ReadFrame(0x1234), Setup::RefuseRead, 15, 1, {0x34, 0x00}, true},
        {"silent_camera_times_out", ReadFrame(0x1234), Setup::Silence, clser::kErrTimeout, 0, {0x00}, false},
        {"partial_data_times_out", ReadFrame(0x1234), Setup::PartialData, clser::kErrTimeout, 3, {0x06, 0xA1, 0xB2},
         false},
        {"short_read_reported_as_success_fails", ReadFrame(0x1234), Setup::PartialDataReadsOk,
         link_result::kShortTransfer, 3, {0x06, 0xA1, 0xB2}, false},
        {"failed_frame_write", WriteFrame(0x0100, 5), Setup::WriteFails, clser::kErrTimeout, 0, {0x00}, false},
    };
    for (const TransactRow& row : rows) {
        SCOPED_TRACE(row.name);
        emu.SetShortReadsSucceed(false);
        emu::Fault f;
        switch (row.setup) {
        case Setup::RefuseCode4: Refuse(-1, 0x15, 4); break;
        case Setup::RefuseThen20: Refuse(-1, 0x15, 4, 20); break;
        case Setup::RefuseRead: Refuse(-1, 0x34, 0); break;
        case Setup::Silence: Silence(-1); break;
        case Setup::PartialDataReadsOk: emu.SetShortReadsSucceed(true); [[fallthrough]];
        case Setup::PartialData:
            f.kind = emu::FaultKind::Partial;
            f.partialBytes = 3;
            emu.ScriptFault(-1, f);
            break;
        case Setup::WriteFails: emu.FailNext(clser::kSerialWrite, clser::kErrTimeout); break;
        case Setup::None: break;
        }
        link->GoOnline();
        CCameraLink::AnswerBuffer answer{};
        std::uint32_t length = static_cast<std::uint32_t>(row.frame.size());
        EXPECT_EQ(link->Transact(row.frame.data(), &length, answer), row.result);
        EXPECT_EQ(length, row.received);
        EXPECT_EQ(Bytes(answer.begin(), answer.begin() + row.answerStart.size()), row.answerStart);
        EXPECT_EQ(link->m_bOnline != 0, row.online);
        EXPECT_EQ(link->m_bLinkAlive != 0, row.online);
        // What a camera sends beyond the drain limit stays on the line; take it off.
        std::uint8_t rest[64];
        std::uint32_t n = sizeof rest;
        link->Read(rest, &n, 10);
    }
    emu.SetShortReadsSucceed(false);
}

// Example failure: a flash answer that comes late times out like an ordinary exchange, a busy
// flash marks the camera offline, or a camera that streams holds the exchange for ever.
TEST_F(RegisterProtocolTest, FlashExchangesWaitLongerAndStayBounded)
{
    emu.SetDelay(0x6048, 900);
    emu.SetRegister(0x6048, 0x00000004);
    const Bytes read = ReadFrame(0x6048);
    CCameraLink::AnswerBuffer answer{};
    std::uint32_t length = 3;
    EXPECT_EQ(link->TransactFixedTimeout(read.data(), &length, answer), 0) << "1000 ms reads wait for the flash";
    EXPECT_EQ(length, 5u);

    link->GoOnline();
    Silence(-1);
    length = 3;
    EXPECT_NE(link->TransactFixedTimeout(read.data(), &length, answer), 0);
    EXPECT_EQ(link->m_bOnline, 1) << "a flash that does not answer yet leaves the camera online";

    Refuse(-1, 0x15, 4, 1000);
    answer = {};
    length = 7;
    const Bytes write = WriteFrame(0x6040, 1);
    EXPECT_EQ(link->TransactFixedTimeout(write.data(), &length, answer), 15);
    EXPECT_EQ(length, 1u + protocol::kFlashDrainLimit);
    EXPECT_EQ(answer[1], 4) << "the error code stays in byte 1";
}

// Example failure: the camera is asked for its status before it has saved its space, so a
// successful BootSave reads as a time-out; or ordinary registers wait a second each.
TEST_F(RegisterProtocolTest, PostWriteDelays)
{
    struct Row {
        Bytes frame;
        int delay;
    } rows[] = {
        {WriteFrame(0x606C, 1), 1000}, {WriteFrame(0x6064, 1), 1000}, {WriteFrame(0x6068, 1), 1000},
        {WriteFrame(0x6060, 1), 448},  {WriteFrame(0x5000, 1), 448},  {WriteFrame(0x010C, 1), 500},
        {WriteFrame(0x0608, 1), 500},  {ReadFrame(0x0608), 500},      {ReadFrame(0x6068), 0},
        {ReadFrame(0x5000), 0},        {WriteFrame(0x0100, 1), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.frame));
        EXPECT_EQ(link->GetPostWriteDelay(row.frame.data(), static_cast<std::uint32_t>(row.frame.size())), row.delay);
    }

    // End to end: the camera answers BootSave 900 ms after the frame; the link waits 1000 ms
    // and then reads with its ordinary 50 ms time-out.
    emu.SetDelay(0x6068, 900);
    emu.SetDelay(0x0100, 900);
    const Bytes bootSave = WriteFrame(0x6068, 1);
    CCameraLink::AnswerBuffer answer{};
    std::uint32_t length = 7;
    EXPECT_EQ(link->Transact(bootSave.data(), &length, answer), 0);
    EXPECT_EQ(clock.manual.Sleeps(), (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(1000)}));
    const Bytes other = WriteFrame(0x0100, 1);
    length = 7;
    EXPECT_EQ(link->Transact(other.data(), &length, answer), clser::kErrTimeout)
        << "a register without a wait is read at once";
}

// Example failure: a raw read frame goes out with four stray bytes that the camera answers as
// a command of their own, or a flash status is returned undecoded.
TEST_F(RegisterProtocolTest, RawAndFlashCommandsDecodeFlashStatus)
{
    struct Row {
        const char* name;
        std::uint16_t address;
        std::uint8_t low;
        bool flashTool;
        int result;
    } rows[] = {
        {"busy_bit0", 0x6048, 0x05, false, 7},  {"error_bit2", 0x6048, 0x04, false, 4},
        {"error_bit1", 0x6058, 0x02, false, 2}, {"ready", 0x6058, 0x00, false, 0},
        {"bit2_before_bit1", 0x6058, 0x06, false, 4}, {"extended_raw_not_decoded", 0xE058, 0x05, false, 0},
        {"extended_flash_decoded", 0xE058, 0x05, true, 7}, {"flash_tool_param_status", 0x6048, 0x01, true, 7},
        {"other_register_not_decoded", 0x1234, 0x05, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        emu.SetRegister(row.address, 0xFFFFFF00u | row.low);
        emu.ClearFrames();
        std::uint8_t frame[7] = {0x52, static_cast<std::uint8_t>(row.address >> 8), static_cast<std::uint8_t>(row.address),
                                 0xAA, 0xBB, 0xCC, 0xDD};
        const int result = row.flashTool ? link->SendFlashCommand(frame, 3) : link->SendRawCommand(frame);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(Frames(), std::vector<Bytes>{ReadFrame(row.address)}) << "exactly one 3-byte read frame";
    }

    emu.ClearFrames();
    const Bytes write = WriteFrame(0x6048, 0x05);
    EXPECT_EQ(link->SendRawCommand(write.data()), 0) << "write frames are never decoded";
    EXPECT_EQ(Frames(), std::vector<Bytes>{write});
    Refuse(-1, 0x15, 3);
    EXPECT_EQ(link->SendRawCommand(write.data()), 15);
    Refuse(-1, 0x15, 3);
    EXPECT_EQ(link->SendFlashCommand(write.data(), 7), 15);
}

// Example failure: text registers come back in the wrong byte order, or a refused read hands
// its drained bytes to the identification as text.
TEST_F(RegisterProtocolTest, ReadRegisterBytesKeepsReceivedOrder)
{
    std::uint8_t bytes[4] = {};
    EXPECT_EQ(link->ReadRegisterBytes(0x7028, bytes), 0);
    EXPECT_EQ(Bytes(bytes, bytes + 4), (Bytes{'E', 'M', 'U', '-'}));
    Refuse(0x7028, 0x31, 0);
    EXPECT_EQ(link->ReadRegisterBytes(0x7028, bytes), 1);
    Silence(0x7028);
    EXPECT_EQ(link->ReadRegisterBytes(0x7028, bytes), 1);
}

// Example failure: an error code from the camera indexes past the end of a table.
// Example failure: a frame of another user goes out while a script run holds the channel (it
// takes the script's answer), the refusal marks the camera offline, or the holder of a flash
// upload is shut out of its own exchanges.
TEST_F(RegisterProtocolTest, ExchangesKeepOffTheChannelWhileAScriptHoldsIt)
{
    ChannelOwner& owner = link->m_ChannelOwner;
    std::vector<ChannelUser> heard;
    owner.SetListener([&](ChannelUser holder) { heard.push_back(holder); });
    emu.SetRegister(0x6200, 0x0A0B0C0D);
    const Bytes frame = ReadFrame(0x6200);
    const auto transact = [&] {
        CCameraLink::AnswerBuffer answer{};
        std::uint32_t length = static_cast<std::uint32_t>(frame.size());
        return link->Transact(frame.data(), &length, answer);
    };

    ASSERT_TRUE(owner.Acquire(ChannelUser::Script));
    EXPECT_FALSE(owner.Acquire(ChannelUser::Upload)) << "one holder at a time";
    EXPECT_EQ(owner.BusyText(), "The camera channel is in use by the running script.");
    EXPECT_EQ(transact(), link_result::kChannelBusy);
    std::uint8_t bytes[4] = {};
    EXPECT_EQ(link->ReadRegisterBytes(0x6200, bytes), 1);
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(link->m_bOnline, 1) << "a busy channel is no lost camera";
    owner.Release(ChannelUser::Upload);  // not the holder: nothing changes
    EXPECT_EQ(owner.Holder(), ChannelUser::Script);
    owner.Release(ChannelUser::Script);

    ASSERT_TRUE(owner.Acquire(ChannelUser::Upload));
    EXPECT_FALSE(owner.Acquire(ChannelUser::Script));
    EXPECT_EQ(transact(), 0) << "the upload's own exchanges go through";
    owner.Release(ChannelUser::Upload);
    EXPECT_TRUE(owner.IsFree());
    EXPECT_EQ(owner.BusyText(), "");
    EXPECT_EQ(transact(), 0);
    EXPECT_EQ(Frames(), (std::vector<Bytes>{frame, frame}));
    EXPECT_EQ(heard, (std::vector<ChannelUser>{ChannelUser::Script, ChannelUser::None, ChannelUser::Upload,
                                               ChannelUser::None}));
    owner.SetListener(nullptr);
}

TEST(RegisterProtocolTables, TextsStayWithinTheirTables)
{
    EXPECT_EQ(protocol::CameraErrorText(4), "Value less then minimum");
    EXPECT_EQ(protocol::CameraErrorText(12), "Undef. Error");
    EXPECT_EQ(protocol::CameraErrorText(13), "Undef. Error 13");
    EXPECT_EQ(protocol::CameraErrorText(255), "Undef. Error 255");
    EXPECT_STREQ(protocol::UartErrorText(3), "RX Timeout");
    EXPECT_STREQ(protocol::UartErrorText(15), "reserved");
    EXPECT_STREQ(protocol::ParamTypeName(4), "OrvParam_Array");
    EXPECT_STREQ(protocol::ParamTypeName(9), "OrvParam_Unknown");
}

namespace {

enum class Path { None, Owner, App, Dialog };

struct WriteReportRow {
    const char* name;
    OrvParamType type;
    bool checkingDisabled;
    std::uint8_t lastStatus;
    bool notIdentified;
    bool owner;
    std::uint8_t code;
    Path path;
    int result;
};

}  // namespace

// Example failure: a refusal is shown while error checking is off, a repeated boolean refusal
// pops a box on every poll, the panel's box loses its styles, or a refusal the operator saw
// answers 0 to the caller.
TEST_F(RegisterProtocolTest, WriteRefusalReportTable)
{
    Define("Gain", OrvParam_Int, MakeLink(0x0200, 0xFFF));
    Define("Enable", OrvParam_Bool, MakeLink(0x0204, 0x1));
    const WriteReportRow rows[] = {
        {"checking_off_shows_nothing", OrvParam_Int, true, 6, false, false, 4, Path::None, 15},
        {"int_through_app_box", OrvParam_Int, false, 6, false, false, 4, Path::App, 0x15},
        {"int_same_status_again", OrvParam_Int, false, 0x15, false, false, 4, Path::App, 0x15},
        {"int_through_owner", OrvParam_Int, false, 6, false, true, 5, Path::Owner, 0x15},
        {"bool_new_status", OrvParam_Bool, false, 6, false, false, 4, Path::App, 0x15},
        {"bool_same_status_once", OrvParam_Bool, false, 0x15, false, false, 4, Path::None, 15},
        {"not_identified_dialog", OrvParam_Int, false, 6, true, true, 4, Path::Dialog, 0x15},
        {"code_0_dialog", OrvParam_Int, false, 6, false, false, 0, Path::Dialog, 0x15},
        {"code_200_no_row", OrvParam_Int, false, 6, false, false, 200, Path::App, 0x15},
    };
    RecordingOwner owner;
    for (const WriteReportRow& row : rows) {
        SCOPED_TRACE(row.name);
        const bool isInt = row.type == OrvParam_Int;
        bool current = false;
        ASSERT_EQ(link->GetParamBool("Enable", &current), 0);
        host = RecordingHost{};
        owner = RecordingOwner{};
        link->SetCheckErrorDisabled(row.checkingDisabled);
        link->m_nLastStatus = row.lastStatus;
        link->SetIdentified(!row.notIdentified);
        link->SetErrorOwner(row.owner ? &owner : nullptr);
        Refuse(isInt ? 0x0200 : 0x0204, 0x15, row.code);
        const int result = isInt ? link->SetParamIntIfOnline("Gain", 7, true, false)
                                 : link->SetParamBool("Enable", !current, true);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(link->m_nLastStatus, 0x15);
        const std::string expected = std::string("Write <") + (isInt ? "Gain" : "Enable") + "> param to camera\n " +
                                     protocol::CameraErrorText(row.code) + " [ID=" + std::to_string(row.code) + "]";
        ASSERT_EQ(owner.boxes.size(), row.path == Path::Owner ? 1u : 0u);
        ASSERT_EQ(host.appBoxes.size(), row.path == Path::App ? 1u : 0u);
        ASSERT_EQ(host.dialogs.size(), row.path == Path::Dialog ? 1u : 0u);
        if (row.path == Path::Owner) {
            EXPECT_EQ(owner.boxes[0].text, expected);
            EXPECT_FALSE(owner.boxes[0].captionGiven);
            EXPECT_EQ(owner.boxes[0].flags, kMbIconExclamation | kMbTaskModal | kMbTopmost);
            EXPECT_EQ(owner.broughtToTop, 1);
        }
        if (row.path == Path::App) {
            EXPECT_EQ(host.appBoxes[0].text, expected);
            EXPECT_EQ(host.appBoxes[0].caption, "Corvel");
        }
        if (row.path == Path::Dialog) {
            EXPECT_EQ(host.dialogs[0], expected + "\n Application should be closed\n Camera should be reloaded");
        }
    }
    link->SetErrorOwner(nullptr);
}

// Example failure: "Disable Error Checking" leaves checking on, does not tick the terminal's
// box, or leaves the camera offline although it answers its identification again.
TEST_F(RegisterProtocolTest, ErrorDialogOutcomes)
{
    Define("Gain", OrvParam_Int, MakeLink(0x0200, 0xFFF));
    for (int answer : {kIdOk, kIdCancel}) {
        SCOPED_TRACE(answer);
        host = RecordingHost{};
        host.dialogAnswer = answer;
        link->SetCheckErrorDisabled(false);
        link->SetIdentified(false);
        link->GoOnline();
        Refuse(0x0200, 0x15, 4);
        emu.ClearFrames();
        const int result = link->SetParamIntIfOnline("Gain", 7, true, false);
        EXPECT_EQ(host.dialogs.size(), 1u);
        EXPECT_EQ(result, answer == kIdOk ? 0x15 : 15);
        EXPECT_EQ(link->m_bCheckErrorDisabled, answer == kIdCancel ? 1 : 0);
        EXPECT_EQ(host.disableCalls, answer == kIdCancel ? std::vector<bool>{true} : std::vector<bool>{});
        const auto frames = Frames();
        ASSERT_EQ(frames.size(), 10u) << "the write, then the camera identified again: two Ping reads and the "
                                         "seven identity-text registers";
        EXPECT_EQ(frames[1], ReadFrame(0x600C));
        EXPECT_EQ(frames[2], ReadFrame(0x600C));
        EXPECT_EQ(frames[3], ReadFrame(0x7028));
        EXPECT_EQ(link->m_bOnline, 1);
        EXPECT_EQ(link->m_bNotIdentified, 0);
        EXPECT_EQ(link->m_bEchoToTerminal, 1);
    }
}

// Example failure: a write that never reached the camera answers 0, so the caller takes the
// value as set; the operator is not told that the session is lost.
TEST_F(RegisterProtocolTest, ChannelFailureDuringWriteIsNoSuccess)
{
    Define("Gain", OrvParam_Int, MakeLink(0x0200, 0xFFF));
    emu.FailNext(clser::kSerialWrite, clser::kErrTimeout);
    EXPECT_EQ(link->SetParamIntIfOnline("Gain", 7, true, false), clser::kErrTimeout);
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(host.dialogs[0], "Write <Gain> param to camera\n no error [ID=0]\n Application should be closed\n"
                               " Camera should be reloaded");
    EXPECT_EQ(host.lines.back(), "\r\nError code = -10004<ffffd8ec>\r\n");

    Silence(0x0200);
    link->SetCheckErrorDisabled(true);
    link->GoOnline();
    EXPECT_EQ(link->SetParamIntIfOnline("Gain", 8, true, false), clser::kErrTimeout);
    EXPECT_EQ(link->m_bOnline, 0) << "a camera that does not answer is offline";
}

// Example failure: refused reads pop dialogs while the rate is searched or once the camera is
// identified, the UART codes are ignored, or an operator who keeps pressing OK on a camera
// that keeps refusing recurses without end.
TEST_F(RegisterProtocolTest, ReadRefusalReports)
{
    Define("Temp", OrvParam_Int, MakeLink(0x0300, 0xFFFF));
    std::int64_t value = 0;

    link->SetIdentified(true);
    Refuse(0x0300, 0x04, 0);
    EXPECT_EQ(link->GetParamInt("Temp", &value), 15) << "identified cameras' refused reads only yield their result";
    EXPECT_TRUE(host.dialogs.empty());

    link->SetIdentified(false);
    link->m_nLastStatus = 6;
    emu.SetAddressFault(0x600C, emu::Fault{emu::FaultKind::Refuse, 0x04, 0, 0, 0});
    Refuse(0x0300, 0x04, 0);
    EXPECT_EQ(link->GetParamInt("Temp", &value), link_result::kReadReported);
    ASSERT_EQ(host.dialogs.size(), 1u) << "the re-identification's own refusals are not reported again";
    EXPECT_EQ(host.dialogs[0], "Read <Temp> param to camera\n Value less then minimum [ID=4]\n Application should be "
                               "closed\n Camera should be reloaded");
    emu.SetAddressFault(0x600C, emu::Fault{});

    host = RecordingHost{};
    link->SetIdentified(false);
    link->m_nLastStatus = 6;
    Refuse(0x0300, 0x30, 0);
    EXPECT_EQ(link->GetParamInt("Temp", &value), link_result::kReadReported);
    ASSERT_EQ(host.appBoxes.size(), 1u);
    EXPECT_EQ(host.appBoxes[0].text, "UART Error [3] on read <Temp> param to camera\n RX Timeout");

    host = RecordingHost{};
    link->SetIdentified(false);
    link->SetCheckErrorDisabled(true);
    Refuse(0x0300, 0x05, 0);
    EXPECT_EQ(link->GetParamInt("Temp", &value), 15);
    EXPECT_TRUE(host.dialogs.empty() && host.appBoxes.empty());

    // While the rate is searched a refusing camera shows nothing.
    link->SetCheckErrorDisabled(false);
    link->m_nLastStatus = 6;
    emu.SetAddressFault(0x600C, emu::Fault{emu::FaultKind::Refuse, 0x04, 0, 0, 0});
    EXPECT_FALSE(link->DetectBaudRate());
    EXPECT_TRUE(host.dialogs.empty() && host.appBoxes.empty());
    emu.SetAddressFault(0x600C, emu::Fault{});
    EXPECT_TRUE(link->DetectBaudRate());
}

// Example failure: a read refusal through the panel brings the panel forward or uses the
// write's icon; status 0 shows an empty box.
TEST_F(RegisterProtocolTest, ReadErrorReportThroughOwner)
{
    RecordingOwner owner;
    link->SetErrorOwner(&owner);
    link->SetIdentified(true);
    EXPECT_TRUE(link->ReportReadError(0x22, "Temp"));
    ASSERT_EQ(owner.boxes.size(), 1u);
    EXPECT_EQ(owner.boxes[0].text, "Read <Temp> param to camera\n Time-out. [ID=2]");
    EXPECT_EQ(owner.boxes[0].flags, kMbTaskModal | kMbTopmost);
    EXPECT_EQ(owner.broughtToTop, 0);
    EXPECT_EQ(link->m_nLastStatus, 0x22);
    EXPECT_FALSE(link->ReportReadError(0x00, "Temp"));
    EXPECT_EQ(owner.boxes.size(), 1u);
    link->SetErrorOwner(nullptr);
}
