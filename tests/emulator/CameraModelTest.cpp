#include "emulator/CameraModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace emu;

namespace {

using Bytes = std::vector<std::uint8_t>;

/// Sends bytes at the camera's rate and returns every answer byte, joined.
Bytes Exchange(CameraModel& camera, const Bytes& sent, int baud = 9600, std::vector<Answer>* answers = nullptr)
{
    std::vector<Answer> out;
    camera.Receive(sent.data(), sent.size(), baud, out);
    Bytes joined;
    for (const Answer& a : out)
        joined.insert(joined.end(), a.bytes.begin(), a.bytes.end());
    if (answers)
        *answers = out;
    return joined;
}

// Example failure: the data word goes out least significant byte first, or the write frame's
// data is stored in the wrong order, so every register the link reads back is scrambled.
TEST(CameraModel, ReadsAndWritesRegistersMostSignificantByteFirst)
{
    CameraModel camera;
    EXPECT_EQ(Exchange(camera, {0x52, 0x60, 0x0C}), (Bytes{0x06, 0x76, 0x54, 0x32, 0x10}));
    EXPECT_EQ(Exchange(camera, {0x57, 0x01, 0x0C, 0x0A, 0x0D, 0x11, 0x13}), Bytes{0x06});
    EXPECT_EQ(camera.Register(0x010C), 0x0A0D1113u);
    EXPECT_EQ(Exchange(camera, {0x52, 0x01, 0x0C}), (Bytes{0x06, 0x0A, 0x0D, 0x11, 0x13}));
    ASSERT_EQ(camera.Frames().size(), 3u);
    EXPECT_EQ(camera.Frames()[1].bytes, (Bytes{0x57, 0x01, 0x0C, 0x0A, 0x0D, 0x11, 0x13}));
    EXPECT_EQ(camera.Frames()[1].hostBaud, 9600);
}

// Example failure: the identity registers are missing or the text is packed backwards, so
// identification tests read an empty model name.
TEST(CameraModel, CarriesAnIdentity)
{
    CameraModel camera;
    EXPECT_EQ(camera.Register(kCamCodeRegister), 4u);
    EXPECT_EQ(camera.Register(kModelTextRegister), 0x454D552Du);  // "EMU-"
    camera.SetTextRegisters(kSerialTextRegister, 2, "ABCDE");
    EXPECT_EQ(camera.Register(kSerialTextRegister + 4), 0x45000000u);
}

// Example failure: a frame split over two writes (a byte-by-byte channel) is not reassembled,
// or two frames in one write are answered once.
TEST(CameraModel, ReassemblesFramesAcrossWrites)
{
    CameraModel camera;
    const Bytes frame = {0x57, 0x12, 0x34, 0, 0, 0, 7};
    Bytes answers;
    for (std::uint8_t byte : frame) {
        Bytes got = Exchange(camera, {byte});
        answers.insert(answers.end(), got.begin(), got.end());
    }
    EXPECT_EQ(answers, Bytes{0x06});
    EXPECT_EQ(Exchange(camera, {0x52, 0x12, 0x34, 0x52, 0x12, 0x34}),
              (Bytes{0x06, 0, 0, 0, 7, 0x06, 0, 0, 0, 7}));
}

// Example failure: a stray byte (the tail of a 7-byte read frame) is silently swallowed, so the
// desynchronisation it causes on a real camera never shows in tests.
TEST(CameraModel, AnswersAnUnknownCommandWithInvalidCommand)
{
    CameraModel camera;
    EXPECT_EQ(Exchange(camera, {0x52, 0x60, 0x0C, 0x00}),
              (Bytes{0x06, 0x76, 0x54, 0x32, 0x10, kWriteRefusal, kInvalidCommandCode}));
}

// Example failure: the camera answers at any rate, so baud detection succeeds at the first rate
// whatever the camera runs at.
TEST(CameraModel, HearsOnlyItsOwnBaudRate)
{
    CameraModel camera;
    camera.SetBaudRate(38400);
    EXPECT_TRUE(Exchange(camera, {0x52, 0x60, 0x0C}, 115200).empty());
    EXPECT_EQ(camera.LostBytes(), 3u);
    EXPECT_TRUE(camera.Frames().empty());
    camera.SetNoiseOnMismatch(true);
    EXPECT_EQ(Exchange(camera, {0x52, 0x60, 0x0C}, 57600), (Bytes{0, 0, 0}));
    EXPECT_EQ(Exchange(camera, {0x52, 0x60, 0x0C}, 38400).size(), 5u);
    EXPECT_EQ(camera.Frames().back().hostBaud, 38400);
}

// Example failure: the camera switches before it answers the write (the host never hears the
// acknowledgement), keeps its rate after the rate register changed, or takes an unlisted index.
TEST(CameraModel, RateRegisterSwitchesTheLineAfterTheAnswer)
{
    CameraModel camera;
    camera.SetBaudRate(115200);
    EXPECT_EQ(camera.Register(kBaudRateRegister) & kBaudRateMask, 4u);
    EXPECT_EQ(Exchange(camera, {0x57, 0x06, 0x04, 0x00, 0x00, 0x00, 0x01}, 115200), (Bytes{kAck}));
    EXPECT_EQ(camera.BaudRate(), 19200);
    EXPECT_TRUE(Exchange(camera, {0x52, 0x06, 0x04}, 115200).empty());
    EXPECT_EQ(Exchange(camera, {0x52, 0x06, 0x04}, 19200), (Bytes{kAck, 0, 0, 0, 1}));
    // Index 7 names no rate: the register takes it, the line stays.
    EXPECT_EQ(Exchange(camera, {0x57, 0x06, 0x04, 0x00, 0x00, 0x00, 0x07}, 19200), (Bytes{kAck}));
    EXPECT_EQ(camera.BaudRate(), 19200);
}

// Example failure: a scripted fault hits every frame instead of one, or a refusal of a read
// carries a code byte that a real camera does not send.
TEST(CameraModel, FaultsShapeTheAnswer)
{
    struct Row {
        const char* name;
        Fault fault;
        Bytes frame;
        Bytes answer;
    };
    const Row rows[] = {
        {"write refused", {FaultKind::Refuse, 0x15, 4, 0, 0}, {0x57, 0, 1, 0, 0, 0, 1}, {0x15, 0x04}},
        {"write refused, more bytes", {FaultKind::Refuse, 0x15, 4, 3, 0}, {0x57, 0, 1, 0, 0, 0, 1},
         {0x15, 0x04, 0xE0, 0xE1, 0xE2}},
        {"read refused", {FaultKind::Refuse, 0x30, 9, 0, 0}, {0x52, 0, 1}, {0x30}},
        {"silence", {FaultKind::Silence, 0, 0, 0, 0}, {0x52, 0, 1}, {}},
        {"partial read", {FaultKind::Partial, 0, 0, 0, 3}, {0x52, 0x60, 0x0C}, {0x06, 0x76, 0x54}},
        {"doubled read", {FaultKind::Doubled, 0, 0, 0, 0}, {0x52, 0x60, 0x0C},
         {0x06, 0x76, 0x54, 0x32, 0x10, 0x06, 0x76, 0x54, 0x32, 0x10}},
        {"doubled write", {FaultKind::Doubled, 0, 0, 0, 0}, {0x57, 0, 1, 0, 0, 0, 1}, {0x06, 0x06}},
        {"late read", {FaultKind::Late, 0, 0, 0, 0}, {0x52, 0x60, 0x0C}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CameraModel camera;
        camera.ScriptFault(-1, row.fault);
        EXPECT_EQ(Exchange(camera, row.frame), row.answer);
        EXPECT_EQ(Exchange(camera, {0x52, 0x60, 0x0C}).size(), 5u) << "the fault was for one frame only";
        EXPECT_EQ(camera.Frames().size(), 2u);
    }
}

// Example failure: a late answer is lost or comes out twice, or a frame the host cut short is
// joined with the next one after the camera's receive time-out.
TEST(CameraModel, LateAnswersAndTheReceiveTimeOut)
{
    CameraModel camera;
    camera.ScriptFault(-1, {FaultKind::Late, 0, 0, 0, 0});
    EXPECT_EQ(Exchange(camera, {0x57, 0, 1, 0, 0, 0, 7}), Bytes{});
    EXPECT_EQ(camera.Register(0x0001), 7u) << "a late answer still does the write";
    const std::vector<Answer> late = camera.TakeLateAnswers();
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0].bytes, Bytes{0x06});
    EXPECT_TRUE(camera.TakeLateAnswers().empty());

    std::vector<Answer> out;
    const Bytes start = {0x52, 0x60};
    const Bytes frame = {0x52, 0x60, 0x0C};
    camera.Reset();
    camera.SetReceiveTimeoutMs(50);
    camera.Receive(start.data(), start.size(), 9600, out, 1000);
    camera.Receive(frame.data(), frame.size(), 9600, out, 1040);
    ASSERT_FALSE(camera.Frames().empty());
    EXPECT_EQ(camera.Frames().back().bytes, (Bytes{0x52, 0x60, 0x52})) << "bytes within the time-out join";
    camera.DropPendingFrame();
    out.clear();
    camera.Receive(start.data(), start.size(), 9600, out, 2000);
    camera.Receive(frame.data(), frame.size(), 9600, out, 2051);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].bytes, (Bytes{0x06, 0x76, 0x54, 0x32, 0x10})) << "the cut frame was forgotten";
}

// Example failure: a refused write still changes the register, or a per-address fault leaks to
// other addresses.
TEST(CameraModel, AddressFaultsAndDelaysStayOnTheirAddress)
{
    CameraModel camera;
    camera.SetAddressFault(0x0100, {FaultKind::Refuse, 0x15, 7, 0, 0});
    camera.SetDelay(0x6068, 900);
    EXPECT_EQ(Exchange(camera, {0x57, 0x01, 0x00, 0, 0, 0, 5}), (Bytes{0x15, 7}));
    EXPECT_EQ(Exchange(camera, {0x57, 0x01, 0x00, 0, 0, 0, 5}), (Bytes{0x15, 7}));
    EXPECT_EQ(camera.Register(0x0100), 0u);
    std::vector<Answer> answers;
    EXPECT_EQ(Exchange(camera, {0x57, 0x60, 0x68, 0, 0, 0, 1}, 9600, &answers), Bytes{0x06});
    EXPECT_EQ(answers.at(0).delayMs, 900);
    EXPECT_EQ(Exchange(camera, {0x52, 0x01, 0x04}, 9600, &answers).size(), 5u);
    EXPECT_EQ(answers.at(0).delayMs, 0);
    camera.ClearAddressFault(0x0100);
    EXPECT_EQ(Exchange(camera, {0x57, 0x01, 0x00, 0, 0, 0, 5}), Bytes{0x06});
}

}  // namespace
