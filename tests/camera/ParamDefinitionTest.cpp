#include "camera/ParamDefinition.h"

#include "camera/CameraLink.h"
#include "MapFixture.h"
#include "ProtocolFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using corvel::test::DefineLinkedParam;
using corvel::test::LoadMapText;
using corvel::test::MakeLink;
using corvel::test::MemorySettings;
using corvel::test::TestLink;
using corvel::test::WarningRecorder;

namespace {

constexpr const char* kSection = "CAMERA/LOCALSPACE";

std::string PathOf(const std::string& name) { return std::string(kSection) + "/" + name; }

class RecordingListener : public OrvParamListener {
public:
    void OnParamChanged(const _OrvStParam* param) override { heard.push_back(param->name); }
    std::vector<std::string> heard;
};

/// A link with no port: definitions only, every camera read fails at once.
class DefinitionTest : public ::testing::Test {
protected:
    RegisterMapPtr Load(const std::string& elements)
    {
        map = LoadMapText("<CAMERA><LOCALSPACE>" + elements + "</LOCALSPACE></CAMERA>");
        section = map ? map->Select(kSection) : CXmlNodeValue();
        return map;
    }

    RegisterLink LinkOf(const char* name)
    {
        RegisterLink reg;
        EXPECT_EQ(GetRegisterLink(link, name, reg), 0) << name;
        return reg;
    }

    _OrvStParam Record(const char* name)
    {
        _OrvStParam param;
        EXPECT_EQ(link.GetParamData(name, &param), 0) << name;
        return param;
    }

    std::size_t Count()
    {
        std::size_t count = 0;
        link.GetParametersList(nullptr, &count);
        return count;
    }

    MemorySettings settings;
    TestLink link{&settings};
    RegisterMapPtr map;
    CXmlNodeValue section;
};

// Example failure: a link record field is read from the wrong node, the page rule is applied
// the wrong way round, a long mnemonic overflows, or a shift of 32 reaches the coder.
TEST_F(DefinitionTest, LinkRecordFromTheElement)
{
    struct Row {
        const char* name;
        const char* children;
        std::uint16_t address;
        std::uint32_t mask;
        std::int32_t shift, poll, page, seq;
        const char* cmd;
        bool ws;
        const char* warning;  ///< part of the expected map warning, or null
    };
    const Row rows[] = {
        {"Full", "<address>0x6040</address><mask>0x0F</mask><shift>8</shift><cmd>trgMode</cmd><ws>true</ws>"
                 "<poll>5</poll><page>2</page><seq>3</seq>",
         0x6040, 0x0F, 8, 4, 2, 3, "trgMode", true, nullptr},
        {"NoOptionalNodes", "<address>0x6000</address><mask>0xFFF</mask>", 0x6000, 0xFFF, 0, -1, -1, 0, "", false,
         nullptr},
        {"WrappedAddress", "<address>0x10604</address><mask>1</mask>", 0x0604, 1, 0, -1, -1, 0, "", false,
         "address 67076"},
        {"PagedAddressKeepsPageZero", "<address>0xA018</address><mask>1</mask>", 0xA018, 1, 0, -1, 0, 0, "", false,
         nullptr},
        {"PagedAddressKeepsWhatItReads", "<address>0xA018</address><page>1</page><seq>1</seq>", 0xA018, 0, 0, -1, 1,
         1, "", false, nullptr},
        {"SeqKeepsPageZero", "<address>0x6000</address><page>0</page><seq>1</seq>", 0x6000, 0, 0, -1, 0, 1, "", false,
         nullptr},
        {"PageOneStays", "<address>0x6000</address><page>1</page>", 0x6000, 0, 0, -1, 1, 0, "", false, nullptr},
        {"OctalMaskAndNumericWs", "<address>0x6000</address><mask>010</mask><ws>1</ws>", 0x6000, 8, 0, -1, -1, 0, "",
         true, nullptr},
        {"LongCmdIsCut", "<address>0x6000</address><cmd>abcdefghijklmnopqrstuvwxy</cmd>", 0x6000, 0, 0, -1, -1, 0,
         "abcdefghijklmnopqrs", false, nullptr},
        {"bugs_SaturatedPollDoesNotOverflow", "<address>0x6000</address><poll>-99999999999999999999</poll>", 0x6000,
         0, 0, -1, -1, 0, "", false, nullptr},
        {"bugs_ShiftOf32SendsNothing", "<address>0x6000</address><mask>0xF</mask><shift>32</shift>", 0x6000, 0, 32,
         -1, -1, 0, "", false, "shift 32 is outside 0..31"},
        {"bugs_NegativeShiftSendsNothing", "<address>0x6000</address><mask>0xF</mask><shift>-3</shift>", 0x6000, 0,
         -3, -1, -1, 0, "", false, "shift -3 is outside 0..31"},
    };
    std::string elements;
    for (const Row& row : rows)
        elements += std::string("<") + row.name + ">" + row.children + "</" + row.name + ">";
    ASSERT_TRUE(Load(elements));

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WarningRecorder warnings;
        ASSERT_EQ(AddIntParam(link, section, row.name, PathOf(row.name), 3, 0, 0, 0, 0, false, nullptr), 0);
        const RegisterLink expected{row.address, row.mask, row.shift, row.poll, row.page,
                                    row.seq,     row.cmd,  PathOf(row.name), row.ws};
        EXPECT_EQ(LinkOf(row.name), expected);
        if (row.warning) {
            EXPECT_EQ(warnings.Count({row.warning, row.name, "test-map"}), 1) << ::testing::PrintToString(warnings.messages);
        } else {
            EXPECT_TRUE(warnings.messages.empty()) << warnings.messages.front();
        }
    }
}

// Example failure: debug mode widens a read-only register, lowers a negative minimum to 0,
// narrows a limit already above 0xFFFFFF, or the link keeps the map's mask instead of the
// widened one.
TEST_F(DefinitionTest, IntegerLimitsAndDebugWidening)
{
    struct Row {
        const char* name;
        std::int32_t access;
        bool debug;
        std::int64_t min, max, mask;
        std::int64_t wantMin, wantMax;
        std::uint32_t wantLinkMask;
    };
    const Row rows[] = {
        {"ReadWriteDebug", 3, true, 1, 255, 0xFF, 0, 0xFFFFFF, 0xFFFFFF},
        {"WriteOnlyDebug", 2, true, 1, 255, 0xFF, 0, 0xFFFFFF, 0xFFFFFF},
        {"ReadOnlyDebug", 1, true, 1, 255, 0xFF, 1, 255, 0xFF},
        {"ReadWriteNormal", 3, false, 1, 255, 0xFF, 1, 255, 0xFF},
        {"NegativeMinimumStays", 3, true, -20, 20, 0x3F, -20, 0xFFFFFF, 0xFFFFFF},
        {"WideLimitsStay", 3, true, 0, 0x1000000, 0xFFFFFFFF, 0, 0x1000000, 0xFFFFFFFF},
        {"ReadModifyWriteIsWidened", 7, true, 5, 6, 0x7, 0, 0xFFFFFF, 0xFFFFFF},
        {"MaskCutTo32Bits", 1, false, 0, 1, 0x1FFFFFFFF, 0, 1, 0xFFFFFFFF},
        {"ZeroMaskTakesTheElements", 1, false, 0, 1, 0, 0, 1, 0x55},
    };
    std::string elements;
    for (const Row& row : rows)
        elements += std::string("<") + row.name + "><address>0x6000</address><mask>0x55</mask></" + row.name + ">";
    ASSERT_TRUE(Load(elements));

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(AddIntParam(link, section, row.name, PathOf(row.name), row.access, row.min, row.max, row.mask, 9,
                              row.debug, nullptr),
                  0);
        const _OrvStParam param = Record(row.name);
        EXPECT_EQ(param.min.n, row.wantMin);
        EXPECT_EQ(param.max.n, row.wantMax);
        EXPECT_EQ(param.def.n, 9);
        EXPECT_EQ(param.access, row.access);
        EXPECT_EQ(LinkOf(row.name).mask, row.wantLinkMask);
    }
}

// Example failure: a record is filled in the wrong slots for its type (the step not in the
// default slot, the boolean default in the value byte), misses a callback, or keeps a pointer
// to the caller's default text.
TEST_F(DefinitionTest, RecordsOfEachType)
{
    ASSERT_TRUE(Load("<I><address>0x6000</address><mask>0xFF</mask></I><B><address>0x6004</address><mask>1</mask></B>"
                     "<F><min>1</min></F><S><address>0x7000</address><mask>0xFFFFFFFF</mask></S>"));
    ASSERT_EQ(AddIntParam(link, section, "I", PathOf("I"), 3, -5, 50, 0xFF, 7, false, nullptr), 0);
    ASSERT_EQ(AddBoolParam(link, section, "B", PathOf("B"), 2, true, nullptr), 0);
    ASSERT_EQ(AddFloatParam(link, section, "F", PathOf("F"), 1, -1.5, 24.0, 0.25), 0);
    std::string text = "Not ";
    ASSERT_EQ(AddStringParam(link, section, "S", PathOf("S"), 1, text, nullptr), 0);
    text.assign("overwritten by the caller");

    for (const char* name : {"I", "B", "F", "S"}) {
        SCOPED_TRACE(name);
        const _OrvStParam p = Record(name);
        EXPECT_EQ(p.read, &CCameraLink::ParamReadCallback);
        EXPECT_EQ(p.echo, &CCameraLink::ParamEchoCallback);
        EXPECT_EQ(p.changing, &CCameraLink::ParamChangingCallback);
        EXPECT_EQ(p.write, &CCameraLink::ParamWriteCallback);
        EXPECT_EQ(LinkOf(name).path, PathOf(name));
    }
    const _OrvStParam i = Record("I");
    EXPECT_EQ(i.type, OrvParam_Int);
    EXPECT_EQ(i.access, 3);
    EXPECT_EQ(i.value.n, 0);
    EXPECT_EQ(i.def.n, 7);
    EXPECT_EQ(i.min.n, -5);
    EXPECT_EQ(i.max.n, 50);

    const _OrvStParam b = Record("B");
    EXPECT_EQ(b.type, OrvParam_Bool);
    EXPECT_EQ(b.access, 2);
    EXPECT_EQ(b.value.b.value, 0);
    EXPECT_EQ(b.value.b.def, 1);
    EXPECT_EQ(b.min.n, 0);
    EXPECT_EQ(b.max.n, 0);

    const _OrvStParam f = Record("F");
    EXPECT_EQ(f.type, OrvParam_Float);
    EXPECT_EQ(f.value.d, 0.0);
    EXPECT_EQ(f.def.d, 0.25);
    EXPECT_EQ(f.min.d, -1.5);
    EXPECT_EQ(f.max.d, 24.0);
    // A limits element has no register: address 0, mask 0.
    EXPECT_EQ(LinkOf("F").address, 0);
    EXPECT_EQ(LinkOf("F").mask, 0u);

    const _OrvStParam s = Record("S");
    EXPECT_EQ(s.type, OrvParam_String);
    EXPECT_EQ(s.defText, "Not ");
    EXPECT_TRUE(s.text.empty());
}

// Example failure: the listener is registered under another name, or not at all, so a panel
// never hears of a change made elsewhere.
TEST_F(DefinitionTest, ListenersHearTheirParameter)
{
    // No mask: a set reaches no register, so it succeeds without a camera and notifies.
    ASSERT_TRUE(Load("<I/><B/><S/>"));
    RecordingListener listener;
    ASSERT_EQ(AddIntParam(link, section, "I", PathOf("I"), 3, 0, 10, 0, 0, false, &listener), 0);
    ASSERT_EQ(AddBoolParam(link, section, "B", PathOf("B"), 3, false, &listener), 0);
    ASSERT_EQ(AddStringParam(link, section, "S", PathOf("S"), 3, "", &listener), 0);
    EXPECT_EQ(link.SetParamInt("I", 4, true), 0);
    EXPECT_EQ(link.SetParamBool("B", true, true), 0);
    EXPECT_EQ(link.SetParamString("S", "ab", true), 0);
    EXPECT_EQ(listener.heard, (std::vector<std::string>{"I", "B", "S"}));
}

// Example failure: a parameter whose element is missing is not defined at all, or gets a link
// record of zeros that sends frames to register 0; a name the record cannot hold is cut and
// defined under another name; a second definition of a name replaces the first one's link.
TEST_F(DefinitionTest, MissingElementsTooLongAndRepeatedNames)
{
    ASSERT_TRUE(Load("<Gain><address>0x0200</address><mask>0xFF</mask></Gain>"));

    EXPECT_EQ(AddBoolParam(link, section, "Absent", PathOf("Absent"), 0, false, nullptr), 0);
    EXPECT_EQ(Record("Absent").type, OrvParam_Bool);
    RegisterLink reg;
    EXPECT_NE(GetRegisterLink(link, "Absent", reg), 0);

    const std::string longName(kOrvParamNameMax + 1, 'N');
    EXPECT_EQ(AddIntParam(link, section, longName, PathOf(longName), 3, 0, 1, 1, 0, false, nullptr),
              kOrvParamBadArgument);
    EXPECT_EQ(Count(), 1u);

    ASSERT_EQ(AddIntParam(link, section, "Gain", PathOf("Gain"), 3, 0, 1, 0, 0, false, nullptr), 0);
    EXPECT_EQ(AddIntParam(link, section, "Gain", "CAMERA/ELSEWHERE/Gain", 1, 0, 1, 0x3, 0, false, nullptr),
              kOrvParamExists);
    EXPECT_EQ(LinkOf("Gain").path, PathOf("Gain"));
    EXPECT_EQ(LinkOf("Gain").mask, 0xFFu);
    EXPECT_EQ(Record("Gain").access, 3);
}

// Example failure: LinkRegisterData with an empty element name looks for a child instead of
// reading the node it is given.
TEST_F(DefinitionTest, EmptyElementNameLinksTheNodeItself)
{
    ASSERT_TRUE(Load("<Gain><address>0x0200</address><mask>0xFF</mask></Gain>"));
    ASSERT_EQ(AddIntParam(link, section, "Other", PathOf("Other"), 3, 0, 1, 0, 0, false, nullptr), 0);
    ASSERT_EQ(LinkRegisterData(link, "Other", section.Select("Gain"), "", PathOf("Gain"), 0x3), 0);
    EXPECT_EQ(LinkOf("Other").address, 0x0200);
    EXPECT_EQ(LinkOf("Other").mask, 0x3u);
}

// Example failure: GetParamIntValue answers a failed read's stale value, or keeps the high
// bits of a 64-bit value.
TEST_F(DefinitionTest, IntValueThroughTheStore)
{
    _OrvStParam wide{};
    std::strcpy(wide.name, "Wide");
    wide.value.n = 0x100000005;
    ASSERT_EQ(link.AddParam(wide), 0);
    EXPECT_EQ(GetParamIntValue(link, "Wide"), 5);
    EXPECT_EQ(GetParamIntValue(link, nullptr), 0);
    EXPECT_EQ(GetParamIntValue(link, ""), 0);
    EXPECT_EQ(GetParamIntValue(link, "Unknown"), 0);

    // Linked, but no port is open: the read fails.
    ASSERT_EQ(DefineLinkedParam(link, "Read", OrvParam_Int, MakeLink(0x6000, 0xFF)), 0);
    link.SetParam(&wide, &wide.value.n, sizeof wide.value.n);
    EXPECT_EQ(GetParamIntValue(link, "Read"), 0);
}

// ---- end of a build, on the emulated camera ----

const char kTapsMap[] =
    "<CAMERA><CCDTIMINGSTATUS>"
    "<TapsMax><val id=\"0\">1</val><val id=\"2\">4 Taps</val><val id=\"3\">0</val></TapsMax>"
    "<TapsAllowed><val id=\"1\">0</val><val id=\"2\">2</val><val id=\"3\">-2</val></TapsAllowed>"
    "<ActiveTaps><val id=\"1\">2</val><val id=\"4\">0</val></ActiveTaps>"
    "</CCDTIMINGSTATUS></CAMERA>";

constexpr std::uint16_t kTapsMaxAddress = 0x6100, kTapsAllowedAddress = 0x6104, kActiveTapsAddress = 0x6108;

class EndOfBuildTest : public corvel::test::EmulatedLinkTest {
protected:
    void DefineTaps()
    {
        link->m_pRegisterMap = LoadMapText(kTapsMap);
        Define("TapsMax", OrvParam_Int, MakeLink(kTapsMaxAddress, 0xF, 0, "", "CAMERA/CCDTIMINGSTATUS/TapsMax"));
        Define("TapsAllowed", OrvParam_Int,
               MakeLink(kTapsAllowedAddress, 0xF, 0, "", "CAMERA/CCDTIMINGSTATUS/TapsAllowed"));
        Define("ActiveTaps", OrvParam_Int, MakeLink(kActiveTapsAddress, 0xF, 0, "", "CAMERA/CCDTIMINGSTATUS/ActiveTaps"));
    }

    void DefineFrameSize()
    {
        Define("BinHorzMode", OrvParam_Int, MakeLink(0x6200, 0x3));
        Define("BinVertMode", OrvParam_Int, MakeLink(0x6204, 0x3));
        Define("HorFrameSizeMin", OrvParam_Int, MakeLink(0x6210, 0xFFFF));
        Define("HorFrameSizeMax", OrvParam_Int, MakeLink(0x6210, 0xFFFF, 16));
        Define("VerFrameSizeMin", OrvParam_Int, MakeLink(0x6214, 0xFFFF));
        Define("VerFrameSizeMax", OrvParam_Int, MakeLink(0x6214, 0xFFFF, 16));
        emu.SetRegister(0x6210, (2048u << 16) | 64);
        emu.SetRegister(0x6214, (1536u << 16) | 32);
    }
};

// Example failure: a tap count answers 0 or the raw value when its entry is missing, or the
// allowed count of an entry "0" is not taken from TapsMax.
TEST_F(EndOfBuildTest, TapCountsThroughTheValueLists)
{
    DefineTaps();
    struct Row {
        const char* name;
        std::uint32_t maxRaw, allowedRaw, activeRaw;
        std::int32_t max, allowed, active;
    };
    const Row rows[] = {
        {"EntriesFound", 2, 2, 1, 4, 2, 2},
        {"NoEntries", 7, 9, 9, 1, 1, 1},
        {"AllowedZeroMeansTapsMax", 2, 1, 1, 4, 4, 2},
        {"AllowedZeroWithoutTapsMaxEntry", 7, 1, 1, 1, 1, 2},
        {"bugs_CountsBelowOneAreOne", 3, 3, 4, 1, 1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        emu.SetRegister(kTapsMaxAddress, row.maxRaw);
        emu.SetRegister(kTapsAllowedAddress, row.allowedRaw);
        emu.SetRegister(kActiveTapsAddress, row.activeRaw);
        EXPECT_EQ(GetTapsMax(*link), row.max);
        EXPECT_EQ(GetTapsAllowed(*link), row.allowed);
        EXPECT_EQ(GetActiveTaps(*link), row.active);
    }
}

// Example failure: a tap register without a link record, or a link without a map, answers 0
// or crashes instead of 1.
TEST_F(EndOfBuildTest, TapCountsWithoutLinkOrMap)
{
    _OrvStParam unlinked{};
    std::strcpy(unlinked.name, "TapsMax");
    ASSERT_EQ(link->AddParam(unlinked), 0);
    link->m_pRegisterMap = LoadMapText(kTapsMap);
    EXPECT_EQ(GetTapsMax(*link), 1);
    EXPECT_EQ(GetActiveTaps(*link), 1);  // not defined at all

    link->ClearStorage();
    DefineTaps();
    emu.SetRegister(kTapsMaxAddress, 2);
    link->m_pRegisterMap = nullptr;
    EXPECT_EQ(GetTapsMax(*link), 1);
}

std::vector<corvel::test::Bytes> WriteFrames(const std::vector<corvel::test::Bytes>& frames)
{
    std::vector<corvel::test::Bytes> writes;
    for (const auto& f : frames)
        if (!f.empty() && f[0] == 0x57)
            writes.push_back(f);
    return writes;
}

// Example failure: binning that is already off is written again, so every build sends two
// needless frames.
TEST_F(EndOfBuildTest, NoBinningNoWrites)
{
    DefineFrameSize();
    emu.ClearFrames();
    link->UpdateFrameSizeLimits();
    EXPECT_TRUE(WriteFrames(Frames()).empty());
    EXPECT_EQ(link->m_nWidthMin, 64);
    EXPECT_EQ(link->m_nWidthMax, 2048);
    EXPECT_EQ(link->m_nHeightMin, 32);
    EXPECT_EQ(link->m_nHeightMax, 1536);
    EXPECT_EQ(link->m_nImageWidthMax, 2048);
    EXPECT_EQ(link->m_nImageHeightMax, 1536);
}

// Example failure: the limits are read while binning is on (the camera then reports binned
// sizes), binning is left off afterwards, or vertical is switched before horizontal.
TEST_F(EndOfBuildTest, BinningOffAroundTheLimitReads)
{
    DefineFrameSize();
    emu.SetRegister(0x6200, 2);
    emu.SetRegister(0x6204, 1);
    emu.ClearFrames();
    link->UpdateFrameSizeLimits();
    using corvel::test::Bytes;
    const std::vector<Bytes> expected = {
        {0x52, 0x62, 0x00},                          // BinHorzMode
        {0x52, 0x62, 0x04},                          // BinVertMode
        {0x57, 0x62, 0x00, 0x00, 0x00, 0x00, 0x00},  // horizontal off
        {0x57, 0x62, 0x04, 0x00, 0x00, 0x00, 0x00},  // vertical off
        {0x52, 0x62, 0x10}, {0x52, 0x62, 0x10}, {0x52, 0x62, 0x14}, {0x52, 0x62, 0x14},
        {0x57, 0x62, 0x00, 0x00, 0x00, 0x00, 0x02},  // horizontal back
        {0x57, 0x62, 0x04, 0x00, 0x00, 0x00, 0x01},  // vertical back
    };
    EXPECT_EQ(Frames(), expected);
    EXPECT_EQ(emu.Register(0x6200), 2u);
    EXPECT_EQ(emu.Register(0x6204), 1u);
    EXPECT_EQ(link->m_nWidthMax, 2048);
    EXPECT_EQ(link->m_nHeightMin, 32);
}

// Example failure: binning is written while the camera is offline.
TEST_F(EndOfBuildTest, OfflineCameraGetsNoBinningWrites)
{
    DefineFrameSize();
    emu.SetRegister(0x6200, 2);
    link->GoOffline();
    emu.ClearFrames();
    link->UpdateFrameSizeLimits();
    EXPECT_TRUE(WriteFrames(Frames()).empty());
    EXPECT_EQ(emu.Register(0x6200), 2u);
}

// Example failure: a limit whose read is refused overwrites the link's limit (and the maximum
// image size) with 0.
TEST_F(EndOfBuildTest, bugs_FailedLimitReadKeepsThePreviousValue)
{
    emu.SetRegister(0x6210, 64);
    emu.SetRegister(0x6214, (1536u << 16) | 32);
    Define("HorFrameSizeMin", OrvParam_Int, MakeLink(0x6210, 0xFFFF));
    Define("HorFrameSizeMax", OrvParam_Int, MakeLink(0x6218, 0xFFFF));
    Define("VerFrameSizeMin", OrvParam_Int, MakeLink(0x6214, 0xFFFF));
    Define("VerFrameSizeMax", OrvParam_Int, MakeLink(0x6214, 0xFFFF, 16));
    emu::Fault refuse;
    refuse.kind = emu::FaultKind::Refuse;
    refuse.status = 0x15;
    emu.SetAddressFault(0x6218, refuse);
    link->m_nWidthMax = 1234;
    link->m_nImageWidthMax = 99;
    link->UpdateFrameSizeLimits();
    EXPECT_EQ(link->m_nWidthMax, 1234);
    EXPECT_EQ(link->m_nImageWidthMax, 1234);
    EXPECT_EQ(link->m_nWidthMin, 64);
    EXPECT_EQ(link->m_nHeightMax, 1536);
}

}  // namespace
