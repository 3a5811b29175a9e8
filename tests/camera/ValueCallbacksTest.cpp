// Parameter callbacks against the emulated camera: what each parameter type puts on the wire,
// what a read stores, the change check and the echo in the camera's command syntax.
#include "ProtocolFixture.h"

#include "camera/CXmlNodeValue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <variant>

using namespace corvel::test;

namespace {

constexpr char kMap[] = R"(<?xml version="1.0"?>
<CAMERA><LOCALSPACE>
  <Mode><address>0x0100</address><val id="0">Free run</val><val id="5">Triggered</val></Mode>
</LOCALSPACE></CAMERA>)";

class ValueCallbacksTest : public EmulatedLinkTest {
protected:
    void SetUp() override
    {
        EmulatedLinkTest::SetUp();
        if (IsSkipped())
            return;
        link->m_pRegisterMap = RegisterMap::LoadBuffer(kMap, sizeof kMap - 1, "test");
        ASSERT_TRUE(link->m_pRegisterMap);
    }
};

using Value = std::variant<std::int64_t, bool, double, std::string>;

int SetValue(CCameraLink& link, const char* name, const Value& v)
{
    if (auto* n = std::get_if<std::int64_t>(&v))
        return link.SetParamIntIfOnline(name, *n, true, false);
    if (auto* b = std::get_if<bool>(&v))
        return link.SetParamBool(name, *b, true);
    if (auto* d = std::get_if<double>(&v))
        return link.SetParamFloat(name, *d, true);
    return link.SetParamString(name, std::get<std::string>(v).c_str(), true);
}

struct WriteRow {
    const char* name;
    OrvParamType type;
    RegisterLink reg;
    double min, step, max;
    Value value;
    int result;
    Bytes frame;  ///< empty: nothing may be sent
};

class CountingListener : public OrvParamListener {
public:
    int calls = 0;
    void OnParamChanged(const _OrvStParam*) override { ++calls; }
};

}  // namespace

// Example failure: a value spills into a neighbouring field, a negative "BitShift" goes out in
// two's complement, the baud-rate code is shifted, a float is sent unscaled, a string in the
// wrong byte order, or a limits entry without a register overwrites register 0.
TEST_F(ValueCallbacksTest, WritesPutTheCodedWordOnTheWire)
{
    const WriteRow rows[] = {
        {"int_worked_example", OrvParam_Int, MakeLink(0x0A10, 0x3FF, 2), 0, 0, 0, std::int64_t{0x123}, 0,
         {0x57, 0x0A, 0x10, 0x00, 0x00, 0x04, 0x8C}},
        {"baud_rate_not_shifted", OrvParam_Int, MakeLink(0x0604, 0x7, 4), 0, 0, 0, std::int64_t{4}, 0,
         {0x57, 0x06, 0x04, 0x00, 0x00, 0x00, 0x04}},
        {"bitshift_minus_7", OrvParam_Int, MakeLink(0x0104, 0x0F), 0, 0, 0, std::int64_t{-7}, 0,
         {0x57, 0x01, 0x04, 0x00, 0x00, 0x00, 0x0F}},
        {"bitshift_minus_1", OrvParam_Int, MakeLink(0x0104, 0x0F, 4), 0, 0, 0, std::int64_t{-1}, 0,
         {0x57, 0x01, 0x04, 0x00, 0x00, 0x00, 0x90}},
        {"bitshift_0", OrvParam_Int, MakeLink(0x0104, 0x0F), 0, 0, 0, std::int64_t{0}, 0,
         {0x57, 0x01, 0x04, 0x00, 0x00, 0x00, 0x00}},
        {"bool_shifted", OrvParam_Bool, MakeLink(0x0204, 0x1, 31), 0, 0, 0, true, 0,
         {0x57, 0x02, 0x04, 0x80, 0x00, 0x00, 0x00}},
        {"float_scaled", OrvParam_Float, MakeLink(0x0300, 0xFF), 0.0, 0.5, 100.0, 10.0, 0,
         {0x57, 0x03, 0x00, 0x00, 0x00, 0x00, 0x14}},
        {"string_in_camera_order", OrvParam_String, MakeLink(0x7028, 0xFFFFFFFF), 0, 0, 0, std::string("AB"), 0,
         {0x57, 0x70, 0x28, 0x41, 0x42, 0x00, 0x00}},
        {"string_of_4", OrvParam_String, MakeLink(0x702C, 0xFFFFFFFF), 0, 0, 0, std::string("WXYZ"), 0,
         {0x57, 0x70, 0x2C, 'W', 'X', 'Y', 'Z'}},
        {"string_of_5_not_sent", OrvParam_String, MakeLink(0x7030, 0xFFFFFFFF), 0, 0, 0, std::string("ABCDE"),
         link_result::kNotSent, {}},
        {"limits_without_register", OrvParam_Float, MakeLink(0x0000, 0), 0.0, 0.035, 24.0, 12.0, 0, {}},
        {"shift_40_sends_empty_field", OrvParam_Int, MakeLink(0x0400, 0xFF, 40), 0, 0, 0, std::int64_t{0x12}, 0,
         {0x57, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const WriteRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string name = std::string(row.name) == "baud_rate_not_shifted" ? "BaudRate"
                                 : std::string(row.name).rfind("bitshift", 0) == 0 ? "BitShift"
                                                                                     : row.name;
        _OrvStParam existing{};
        if (link->GetParamData(name.c_str(), &existing) != 0) {
            Define(name.c_str(), row.type, row.reg, row.min, row.step, row.max);
        } else {
            ASSERT_EQ(LinkRegister(*link, name.c_str(), row.reg), 0);
        }
        emu.ClearFrames();
        host.lines.clear();
        EXPECT_EQ(SetValue(*link, name.c_str(), row.value), row.result);
        if (row.frame.empty()) {
            EXPECT_TRUE(Frames().empty());
        } else {
            EXPECT_EQ(Frames(), std::vector<Bytes>{row.frame});
        }
        if (row.result == link_result::kNotSent) {
            EXPECT_NE(std::find(host.lines.begin(), host.lines.end(), "Not implemented yet"), host.lines.end());
        }
    }
    _OrvStParam limits{};
    ASSERT_EQ(link->GetParamData("limits_without_register", &limits), 0);
    EXPECT_EQ(limits.value.d, 12.0) << "the store keeps a value that has no register";
    double read = 0;
    emu.ClearFrames();
    EXPECT_EQ(link->GetParamFloat("limits_without_register", &read), 0);
    EXPECT_EQ(read, 12.0);
    EXPECT_TRUE(Frames().empty()) << "nor is register 0 read for it";
}

namespace {

struct ReadRow {
    const char* name;
    OrvParamType type;
    RegisterLink reg;
    double min, step, max;
    std::uint32_t word;
    Value stored;
};

Value Stored(CCameraLink& link, const char* name, OrvParamType type)
{
    _OrvStParam p{};
    link.GetParamData(name, &p);
    switch (type) {
    case OrvParam_Int: return p.value.n;
    case OrvParam_Bool: return p.value.b.value != 0;
    case OrvParam_Float: return p.value.d;
    default: return p.text;
    }
}

int Get(CCameraLink& link, const char* name, OrvParamType type)
{
    std::int64_t n = 0;
    bool b = false;
    double d = 0;
    char text[16];
    std::size_t length = sizeof text;
    switch (type) {
    case OrvParam_Int: return link.GetParamInt(name, &n);
    case OrvParam_Bool: return link.GetParamBool(name, &b);
    case OrvParam_Float: return link.GetParamFloat(name, &d);
    default: return link.GetParamString(name, text, &length);
    }
}

}  // namespace

namespace {

class HeardValues : public OrvParamListener {
public:
    std::vector<std::int64_t> values;
    std::vector<double> floats;
    void OnParamChanged(const _OrvStParam* p) override
    {
        values.push_back(p->value.n);
        floats.push_back(p->value.d);
    }
};

}  // namespace

// Example failure: a number too large for its field is kept and told to the listeners as it was
// given (20000), while the camera took only the field's bits (3616); a floating-point value
// between two steps is kept as given (10.3), while the camera took the step below it (10.0).
TEST_F(ValueCallbacksTest, WrittenNumberIsKeptAsTheFieldHoldsIt)
{
    Define("AoiWidth", OrvParam_Int, MakeLink(0x0228, 0x3FFF, 2));
    HeardValues heard;
    link->AddParamChangedListener("AoiWidth", &heard);
    const struct {
        std::int64_t value;
        std::int64_t held;
    } rows[] = {{20000, 20000 & 0x3FFF}, {16383, 16383}, {0x4000, 0}, {100, 100}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        emu.ClearFrames();
        heard.values.clear();
        ASSERT_EQ(link->SetParamIntIfOnline("AoiWidth", row.value, true, false), 0);
        const std::uint32_t word = static_cast<std::uint32_t>(row.held) << 2;
        const Bytes frame = {0x57, 0x02, 0x28, static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
                             static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
        EXPECT_EQ(Frames(), std::vector<Bytes>{frame});
        EXPECT_EQ(std::get<std::int64_t>(Stored(*link, "AoiWidth", OrvParam_Int)), row.held);
        EXPECT_EQ(heard.values, std::vector<std::int64_t>{row.held});
    }
    link->RemoveParamChangedListener("AoiWidth", &heard);

    Define("Level", OrvParam_Float, MakeLink(0x0300, 0xFF), 0.0, 0.5, 100.0);
    link->AddParamChangedListener("Level", &heard);
    const struct {
        double value;
        double held;
    } floats[] = {{10.3, 10.0}, {10.5, 10.5}, {0.49, 0.0}, {100.0, 100.0}};
    for (const auto& row : floats) {
        SCOPED_TRACE(row.value);
        emu.ClearFrames();
        heard.floats.clear();
        ASSERT_EQ(link->SetParamFloatIfOnline("Level", row.value, true, false), 0);
        EXPECT_EQ(Frames(), std::vector<Bytes>{WriteFrame(0x0300, static_cast<std::uint32_t>(row.held * 2))});
        EXPECT_EQ(std::get<double>(Stored(*link, "Level", OrvParam_Float)), row.held);
        EXPECT_EQ(heard.floats, std::vector<double>{row.held});
    }
    link->RemoveParamChangedListener("Level", &heard);
}


// Example failure: an unsigned field comes back negative, a field above the float's maximum is
// not taken as negative, "Ping" accepts any non-zero word, or text comes back reversed.
TEST_F(ValueCallbacksTest, ReadsStoreTheDecodedValue)
{
    const ReadRow rows[] = {
        {"IntWorked", OrvParam_Int, MakeLink(0x0A10, 0x3FF, 2), 0, 0, 0, 0x0000048C, std::int64_t{0x123}},
        {"IntUnsigned", OrvParam_Int, MakeLink(0x0A14, 0xFFFFFFFF), 0, 0, 0, 0xFFFFFFFF, std::int64_t{0xFFFFFFFF}},
        {"BitShift", OrvParam_Int, MakeLink(0x0104, 0x0F), 0, 0, 0, 0x0000000F, std::int64_t{15}},
        {"FloatInRange", OrvParam_Float, MakeLink(0x0300, 0xFF), 0.0, 0.5, 100.0, 20, 10.0},
        {"FloatAboveMax", OrvParam_Float, MakeLink(0x0304, 0xFF), 0.0, 0.5, 100.0, 0xFF, -0.5},
        {"BoolField", OrvParam_Bool, MakeLink(0x0204, 0x1, 3), 0, 0, 0, 0x00000008, true},
        {"BoolOtherBits", OrvParam_Bool, MakeLink(0x0208, 0x1, 3), 0, 0, 0, 0xFFFFFFF7, false},
        {"String", OrvParam_String, MakeLink(0x7028, 0xFFFFFFFF), 0, 0, 0, 0x454D552D, std::string("EMU-")},
        {"StringShort", OrvParam_String, MakeLink(0x702C, 0xFFFFFFFF), 0, 0, 0, 0x41420000, std::string("AB")},
    };
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(row.name);
        Define(row.name, row.type, row.reg, row.min, row.step, row.max);
        emu.SetRegister(row.reg.address, row.word);
        emu.ClearFrames();
        EXPECT_EQ(Get(*link, row.name, row.type), 0);
        EXPECT_EQ(Frames(), (std::vector<Bytes>{{0x52, static_cast<std::uint8_t>(row.reg.address >> 8),
                                                static_cast<std::uint8_t>(row.reg.address)}}));
        EXPECT_EQ(Stored(*link, row.name, row.type), row.stored);
    }

    // "Ping" is true only for the exact word.
    for (std::uint32_t word : {0x76543210u, 0x76543211u, 0xFFFFFFFFu}) {
        emu.SetRegister(0x600C, word);
        bool ping = !(word == 0x76543210u);
        EXPECT_EQ(link->GetParamBool("Ping", &ping), 0);
        EXPECT_EQ(ping, word == 0x76543210u) << std::hex << word;
    }

    // A refused or silent read stores nothing; a string that received bytes becomes empty.
    emu.SetRegister(0x0A14, 7);
    Refuse(0x0A14, 0x04, 0);
    EXPECT_EQ(Get(*link, "IntUnsigned", OrvParam_Int), 15);
    EXPECT_EQ(Stored(*link, "IntUnsigned", OrvParam_Int), Value(std::int64_t{0xFFFFFFFF}));
    Silence(0x0A14);
    link->GoOnline();
    EXPECT_EQ(Get(*link, "IntUnsigned", OrvParam_Int), clser::kErrTimeout);
    EXPECT_EQ(link->m_bOnline, 0);
    Refuse(0x7028, 0x04, 0);
    EXPECT_EQ(Get(*link, "String", OrvParam_String), 15);
    EXPECT_EQ(Stored(*link, "String", OrvParam_String), Value(std::string()));
}

// Example failure: setting a boolean to its own value writes the register again and echoes,
// or the change check blocks integers.
TEST_F(ValueCallbacksTest, ChangeCheckStopsOnlyUnchangedBooleans)
{
    Define("Enable", OrvParam_Bool, MakeLink(0x0204, 0x1, 0, "enable"));
    Define("Gain", OrvParam_Int, MakeLink(0x0200, 0xFFF, 0, "gain"));
    CountingListener listener;
    link->AddParamChangedListener("Enable", &listener);
    ASSERT_EQ(link->SetParamBool("Enable", true, true), 0);
    emu.ClearFrames();
    host.lines.clear();
    EXPECT_EQ(link->SetParamBool("Enable", true, true), kOrvParamUnchanged);
    EXPECT_TRUE(Frames().empty());
    EXPECT_TRUE(host.lines.empty());
    EXPECT_EQ(listener.calls, 1);
    EXPECT_EQ(link->SetParamBool("Enable", false, true), 0);
    EXPECT_EQ(Frames().size(), 1u);
    EXPECT_EQ(listener.calls, 2);

    ASSERT_EQ(link->SetParamIntIfOnline("Gain", 5, true, false), 0);
    emu.ClearFrames();
    EXPECT_EQ(link->SetParamIntIfOnline("Gain", 5, true, false), 0) << "integers are written again";
    EXPECT_EQ(Frames().size(), 1u);

    host.level = 3;
    link->SetParamBool("Enable", false, true);
    EXPECT_NE(std::find(logLines.begin(), logLines.end(),
                        "CCameraLink::CheckParam|CheckParam:Param Not Changed: paramName=<Enable>: "
                        "paramType=<OrvParam_Bool> prevVal<false> newVal<false> "),
              logLines.end());
}

// Example failure: the terminal shows the parameter's name instead of the camera's command,
// loses the answer bytes, misses the outcome, or shows a stale value after a read.
TEST_F(ValueCallbacksTest, EchoLinesOfAWriteAndARead)
{
    Define("Mode", OrvParam_Int, MakeLink(0x0100, 0xFF, 0, "mode", "CAMERA/LOCALSPACE/Mode"));
    ASSERT_EQ(link->SetParamIntIfOnline("Mode", 5, true, false), 0);
    EXPECT_EQ(host.lines, (std::vector<std::string>{"<mode 5 <Triggered>", "CMD=<57010000000005>",
                                                   "Responce:nRet=0 Len=1 RSP=<06>", "OK", ">mode Triggered"}));
    host.lines.clear();
    emu.SetRegister(0x0100, 0);
    std::int64_t value = -1;
    ASSERT_EQ(link->GetParamInt("Mode", &value), 0);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(host.lines, (std::vector<std::string>{"CMD=<520100>", "ACK = <06>:RSP<00000000>",
                                                   "value = 0 <0000000000000000>", ">mode Free run"}));

    host.lines.clear();
    link->SetCheckErrorDisabled(true);
    Refuse(0x0100, 0x15, 4);
    EXPECT_EQ(link->SetParamIntIfOnline("Mode", 7, true, false), 15);
    EXPECT_EQ(host.lines, (std::vector<std::string>{"<mode 7 <>", "CMD=<57010000000007>",
                                                   "Responce:nRet=15 Len=2 RSP=<1504>", "\r\nError code = 4<1504>\r\n"}));

    host.lines.clear();
    Refuse(0x0100, 0x34, 0);
    EXPECT_EQ(link->GetParamInt("Mode", &value), 15);
    EXPECT_EQ(host.lines, (std::vector<std::string>{"CMD=<520100>", " Err = 15 : 00000000"}));

    // Log lines follow the logging level; the echo follows its flag.
    host.lines.clear();
    host.level = 2;
    link->SetEchoToTerminal(false);
    ASSERT_EQ(link->GetParamInt("Mode", &value), 0);
    EXPECT_TRUE(host.lines.empty());
    EXPECT_NE(std::find(logLines.begin(), logLines.end(),
                        "CCameraLink::GetParamFromCamera|GetParamFromCamera Begin: paramName=<Mode>: "
                        "paramType=<OrvParam_Int>: CMD=<520100>"),
              logLines.end());
    EXPECT_NE(std::find(logLines.begin(), logLines.end(), "CCameraLink::GetParamFromCamera|Resp:ACK = <06>:RSP<00000000>"),
              logLines.end());
}

namespace {

struct ConsoleRow {
    const char* name;
    OrvParamType type;
    RegisterLink reg;
    Value value;
    const char* sent;
    const char* reply;
};

}  // namespace

// Example failure: the console shows the parameter's name, an enumeration without a text shows
// nothing at all, "Ping" gets a value, or a float loses its precision.
TEST_F(ValueCallbacksTest, ConsoleLinesInTheCamerasSyntax)
{
    const ConsoleRow rows[] = {
        {"Mode", OrvParam_Int, MakeLink(0x0100, 0xFF, 0, "mode", "CAMERA/LOCALSPACE/Mode"), std::int64_t{5},
         "<mode 5 <Triggered>", ">mode Triggered"},
        {"ModeNoText", OrvParam_Int, MakeLink(0x0100, 0xFF, 0, "mode", "CAMERA/LOCALSPACE/Mode"), std::int64_t{3},
         "<mode 3 <>", ">mode 3"},
        {"Count", OrvParam_Int, MakeLink(0x0110, 0xFFFF, 0, "cnt"), std::int64_t{-2}, "<cnt -2", ">cnt -2"},
        {"Enable", OrvParam_Bool, MakeLink(0x0204, 0x1, 0, "en"), true, "<en on", ">en on"},
        {"Ping", OrvParam_Bool, MakeLink(0x600C, 0xFFFFFFFF, 0, "ping"), true, "<ping", ">ping"},
        {"Level", OrvParam_Float, MakeLink(0x0300, 0xFF, 0, "lvl"), 1.23456, "<lvl 1.2346", ">lvl 1.2346"},
        {"Name", OrvParam_String, MakeLink(0x7028, 0xFFFFFFFF, 0, "name"), std::string("ABCD"), "<name ABCD",
         ">name ABCD"},
    };
    for (const ConsoleRow& row : rows) {
        SCOPED_TRACE(row.name);
        _OrvStParam p{};
        if (link->GetParamData(row.name, &p) != 0)
            Define(row.name, row.type, row.reg);
        else
            LinkRegister(*link, row.name, row.reg);
        link->GetParamData(row.name, &p);
        std::int64_t n = 0;
        std::uint8_t b = 0;
        double d = 0;
        std::string text;
        const void* newValue = nullptr;
        if (auto* v = std::get_if<std::int64_t>(&row.value)) {
            n = p.value.n = *v;
            newValue = &n;
        } else if (auto* v = std::get_if<bool>(&row.value)) {
            b = p.value.b.value = *v ? 1 : 0;
            newValue = &b;
        } else if (auto* v = std::get_if<double>(&row.value)) {
            d = p.value.d = *v;
            newValue = &d;
        } else {
            text = p.text = std::get<std::string>(row.value);
            newValue = text.c_str();
        }
        host.lines.clear();
        EXPECT_EQ(link->ParamToConsole(&p, newValue), 0);
        EXPECT_EQ(link->ParamToConsoleReply(&p), 0);
        EXPECT_EQ(host.lines, (std::vector<std::string>{row.sent, row.reply}));
    }

    _OrvStParam array{};
    array.type = OrvParam_Array;
    array.access = OrvParam_ReadWrite;
    std::strcpy(array.name, "Table");
    ASSERT_EQ(link->AddParam(array), 0);
    host.lines.clear();
    EXPECT_EQ(link->ParamToConsoleReply(&array), link_result::kNoRegisterLink) << "no register link";
    LinkRegister(*link, "Table", MakeLink(0x0500, 0xFF));
    link->ParamToConsole(&array, nullptr);
    link->ParamToConsoleReply(&array);
    EXPECT_EQ(host.lines, (std::vector<std::string>{"ParamToConsole:< Undef.command", "ParamToConsole:> Undef.command"}));

    _OrvStParam hidden{};
    link->GetParamData("Mode", &hidden);
    hidden.access = OrvParam_Unk;
    host.lines.clear();
    EXPECT_EQ(link->ParamToConsole(&hidden, &hidden.value.n), 0);
    EXPECT_EQ(link->ParamToConsoleReply(&hidden), 0);
    EXPECT_TRUE(host.lines.empty()) << "access 0 echoes nothing";
}

// Example failure: a parameter without a register link is written to register 0, or a callback
// for a link that is gone touches freed memory.
TEST_F(ValueCallbacksTest, MissingLinksAndOwners)
{
    _OrvStParam p{};
    p.type = OrvParam_Int;
    p.access = OrvParam_ReadWrite;
    std::strcpy(p.name, "Loose");
    p.read = CCameraLink::ParamReadCallback;
    p.write = CCameraLink::ParamWriteCallback;
    ASSERT_EQ(link->AddParam(p), 0);
    std::int64_t value = 0;
    EXPECT_EQ(link->GetParamInt("Loose", &value), link_result::kNoRegisterLink);
    EXPECT_EQ(link->SetParamIntIfOnline("Loose", 3, true, false), link_result::kNoRegisterLink);
    EXPECT_TRUE(Frames().empty());

    std::uint32_t goneId = 0;
    {
        TestLink gone(&settings);
        goneId = gone.OwnerId();
    }
    EXPECT_EQ(CCameraLink::ParamReadCallback(goneId, &p), link_result::kNoCameraLink);
    EXPECT_EQ(CCameraLink::ParamWriteCallback(goneId, &p), link_result::kNoCameraLink);
    EXPECT_EQ(CCameraLink::ParamChangingCallback(goneId, &p, &value), link_result::kNoCameraLink);
}

// Example failure: a long register-map path is cut or overflows a fixed field, a command text
// of more than 19 characters is kept, or a block of another kind is read as a register link.
TEST_F(ValueCallbacksTest, RegisterLinkRoundTrip)
{
    Define("Deep", OrvParam_Int, MakeLink(0x0100, 0xFF));
    RegisterLink in = MakeLink(0xBEEF, 0xF0F0F0F0, 12, "averyveryverylongcommandtext",
                               ("CAMERA/CCDTIMINGREGISTERS/" + std::string(600, 'g') + "/Deep").c_str());
    in.poll = -1;
    in.page = 3;
    in.seq = 9;
    in.ws = true;
    ASSERT_EQ(LinkRegister(*link, "Deep", in), 0);
    RegisterLink out;
    ASSERT_EQ(GetRegisterLink(*link, "Deep", out), 0);
    RegisterLink expected = in;
    expected.cmd.resize(RegisterLink::kCmdMax);
    EXPECT_EQ(out, expected);

    const std::uint8_t foreign[308] = {1, 2, 3};
    ASSERT_EQ(link->LinkParamData("Deep", foreign, sizeof foreign), 0);
    EXPECT_NE(GetRegisterLink(*link, "Deep", out), 0);
    EXPECT_NE(GetRegisterLink(*link, "Nobody", out), 0);
}
