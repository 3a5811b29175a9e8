#include "camera/CXmlNodeValue.h"

#include "support/TempDir.h"
#include "MapFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <vector>

using corvel::test::TempDir;
using corvel::test::WarningRecorder;

namespace {

// A small map with the shapes that matter: two fields sharing one register, a misspelt default,
// a comment inside a value, val lists with gaps, a hidden entry and ids in other spellings.
const char kMap[] =
    "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n"
    "<!-- Commands: -->\r\n"
    "<CAMERA xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:noNamespaceSchemaLocation=\"CameraDef.xsd\">\r\n"
    "  <CameraType>Test sensor</CameraType>\r\n"
    "  <LOCALSPACE>\r\n"
    "    <CCD_ID default=\"0\"><address>0x6000</address><mask>0x0FFF</mask><access>1<!--RO--></access></CCD_ID>\r\n"
    "    <CCD_VSUB deault=\"0\"><address>0x10600</address><mask>0X0FFF</mask><shift>12</shift></CCD_VSUB>\r\n"
    "    <MfgName1 default=\"Not \"><address>0x7000</address></MfgName1>\r\n"
    "    <Gain default=\"24.0\"><min>-20</min><max>010</max><ws>true</ws><step>0.035190616</step></Gain>\r\n"
    "    <Bad default=\"zz\"><min>abc</min><step>1,5</step><ws>maybe</ws></Bad>\r\n"
    "  </LOCALSPACE>\r\n"
    "  <CCDTIMINGSTATUS>\r\n"
    "    <TapsMax default=\"0\">\r\n"
    "      <val id=\"2\">2</val>\r\n"
    "      <val id=\"0\">1</val>\r\n"
    "      <!-- <val id=\"1\">1</val> -->\r\n"
    "      <val id=\"03\">4</val>\r\n"
    "      <val id=\"5\">8 Taps</val>\r\n"
    "    </TapsMax>\r\n"
    "  </CCDTIMINGSTATUS>\r\n"
    "  <MISCELLANEOUS>\r\n"
    "    <BaudRate default=\"4\"><val id=\"0\">9600</val><val id=\"1\">19200</val><val id=\"2\">38400</val>"
    "<val id=\"3\">57600</val><val id=\"4\">115200</val></BaudRate>\r\n"
    "  </MISCELLANEOUS>\r\n"
    "</CAMERA>\r\n";

RegisterMapPtr LoadTestMap() { return corvel::test::LoadMapText({kMap, sizeof kMap - 1}); }

}  // namespace

// Example failure: fields are read from the wrong node, a comment inside a value cuts it short,
// or an address above 16 bits is kept whole.
TEST(RegisterMap, ReadsElementsAttributesAndValues)
{
    auto map = LoadTestMap();
    ASSERT_TRUE(map);
    const CXmlNodeValue local = map->Select("CAMERA/LOCALSPACE");
    ASSERT_TRUE(local);

    EXPECT_EQ(local.Select("CCD_ID/address").AsInt64(), 0x6000);
    EXPECT_EQ(local.Select("CCD_ID/access").AsInt64(), 1);
    EXPECT_EQ(local.Select("CCD_VSUB/mask").AsInt64(), 0x0FFF);
    EXPECT_EQ(local.Select("CCD_VSUB/shift").AsInt64(), 12);
    EXPECT_EQ(local.Select("CCD_ID/shift").AsInt64(), 0) << "a missing shift reads 0";
    EXPECT_EQ(local.Select("CCD_VSUB/address").AsInt64() & 0xFFFF, 0x0600);
    EXPECT_EQ(local.Select("CCD_VSUB/@default").AsInt64(), 0) << "misspelt default reads 0";
    EXPECT_TRUE(local.Select("CCD_VSUB/@default").IsNull());
    EXPECT_EQ(local.Select("Gain/min").AsInt64(), -20);
    EXPECT_EQ(local.Select("Gain/max").AsInt64(), 8);
    EXPECT_DOUBLE_EQ(local.Select("Gain/@default").AsDouble(), 24.0);
    EXPECT_DOUBLE_EQ(local.Select("Gain/step").AsDouble(), 0.035190616);
    EXPECT_TRUE(local.Select("Gain/ws").AsBool());
    EXPECT_FALSE(local.Select("CCD_ID/ws").AsBool());
    EXPECT_EQ(local.Select("MfgName1/@default").AsString(), "Not ") << "attribute values keep their blanks";
    EXPECT_EQ(local.Select("CCD_ID/access").Path(), "CAMERA/LOCALSPACE/CCD_ID/access");
    EXPECT_EQ(local.Select("CCD_ID").Name(), "CCD_ID");
}

// Example failure: a malformed override map throws out of the holder and ends the configuration
// rebuild, or a bad value is silently taken as 0 with no trace in the log.
TEST(RegisterMap, BadValuesFallBackAndWarn)
{
    auto map = LoadTestMap();
    ASSERT_TRUE(map);
    WarningRecorder warnings;
    const CXmlNodeValue bad = map->Select("CAMERA/LOCALSPACE/Bad");
    EXPECT_EQ(bad.Select("min").AsInt64(), 0);
    EXPECT_DOUBLE_EQ(bad.Select("step").AsDouble(), 0.0);
    EXPECT_FALSE(bad.Select("ws").AsBool());
    EXPECT_DOUBLE_EQ(bad.Select("@default").AsDouble(), 0.0);
    ASSERT_EQ(warnings.messages.size(), 4u);
    EXPECT_NE(warnings.messages[0].find("CAMERA/LOCALSPACE/Bad/min"), std::string::npos) << warnings.messages[0];
    EXPECT_NE(warnings.messages[0].find("test-map"), std::string::npos);

    // Missing nodes and selections below them read as the defaults, without warnings.
    const CXmlNodeValue missing = map->Select("CAMERA/LENSCONTROL");
    EXPECT_TRUE(missing.IsNull());
    EXPECT_TRUE(missing.Select("Focus/address").IsNull());
    EXPECT_EQ(missing.Select("Focus/address").AsInt64(), 0);
    EXPECT_EQ(missing.AsString(), "");
    EXPECT_TRUE(missing.SelectAll("val").empty());
    EXPECT_EQ(warnings.messages.size(), 4u);

    // A malformed expression is reported and selects nothing.
    EXPECT_TRUE(map->Select("CAMERA/[[").IsNull());
    EXPECT_TRUE(map->Document().SelectAll("CAMERA/[[").empty());
    EXPECT_EQ(warnings.messages.size(), 6u);
}

// Example failure: the id look-ups are mixed up: tap counts found by position instead of id, a
// hidden entry found, or "03" matching a numeric id where the text comparison must not.
TEST(RegisterMap, ValLookupsKeepTheirOwnComparison)
{
    auto map = LoadTestMap();
    ASSERT_TRUE(map);
    const char* taps = "CAMERA/CCDTIMINGSTATUS/TapsMax";
    struct Row {
        const char* name;
        std::int64_t id;
        bool byText;         // val[@id='id']
        std::int32_t value;  // its text as an integer
        const char* numericText;  // val[@id=id]
    } rows[] = {
        {"first_child_id_2", 2, true, 2, "2"},
        {"id_0", 0, true, 1, "1"},
        {"hidden_entry", 1, false, 0, ""},
        {"id_written_03", 3, false, 0, "4"},
        {"text_with_unit", 5, true, 8, "8 Taps"},
        {"absent", 6, false, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::int32_t value = -7;
        EXPECT_EQ(GetEnumValueById(*map, row.id, value, taps), row.byText);
        EXPECT_EQ(value, row.byText ? row.value : -7) << "a miss leaves the output alone";
        EXPECT_EQ(GetValTextById(*map, taps, row.id), row.numericText);
    }

    std::int64_t baud = 0;
    EXPECT_TRUE(GetValByPosition(*map, "CAMERA/MISCELLANEOUS/BaudRate", 1, baud));
    EXPECT_EQ(baud, 9600);
    EXPECT_TRUE(GetValByPosition(*map, "CAMERA/MISCELLANEOUS/BaudRate", 5, baud));
    EXPECT_EQ(baud, 115200);
    EXPECT_FALSE(GetValByPosition(*map, "CAMERA/MISCELLANEOUS/BaudRate", 0, baud));
    EXPECT_FALSE(GetValByPosition(*map, "CAMERA/MISCELLANEOUS/BaudRate", 6, baud));
    EXPECT_EQ(map->Select("CAMERA/MISCELLANEOUS/BaudRate").SelectAll("val").size(), 5u);
}

// Example failure: a broken or hostile map file is accepted, or its error says nothing an
// operator could find in the file.
TEST(RegisterMap, RefusesBrokenFilesWithAClearReason)
{
    struct Row {
        const char* name;
        std::string bytes;
        const char* expected;  // part of the error text
        int line;
    } rows[] = {
        {"truncated", "<?xml version=\"1.0\"?>\r\n<CAMERA>\r\n  <LOCALSPACE>\r\n", "test:3:", 3},
        {"mismatched", "<CAMERA>\n<A></B>\n</CAMERA>", "test:2:", 2},
        {"doctype", "<!DOCTYPE CAMERA [<!ENTITY x \"y\">]><CAMERA/>", "document type", 0},
        {"no_root", "<!-- only a comment -->", "test:1:", 1},
        {"empty", "", "empty", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RegisterMapError error;
        EXPECT_FALSE(RegisterMap::LoadBuffer(row.bytes.data(), row.bytes.size(), "test", &error));
        EXPECT_NE(error.Text("test").find(row.expected), std::string::npos) << error.Text("test");
        EXPECT_LT(error.code, 0);
        EXPECT_EQ(error.line, row.line);
    }
}

// Example failure: a map that a strict XML parser refuses (text or a second element beside the
// root, an attribute twice, an undeclared prefix, an unknown entity, another root) loads, and
// the operator sees an empty camera with no reason; or a proper map with namespaces and
// references is refused.
TEST(RegisterMap, RefusesMapsThatAreNotWellFormed)
{
    struct Row {
        const char* name;
        const char* bytes;
        const char* expected;  // part of the reason; null: the map loads
        int line;
    } rows[] = {
        {"two_roots", "<CAMERA/>\n<CAMERA/>", "second top-level element", 2},
        {"junk_after_root", "<CAMERA/>\r\njunk", "text outside the root", 2},
        {"text_before_root", "<?xml version=\"1.0\"?>x<CAMERA/>", "text outside the root", 1},
        {"duplicate_attribute", "<CAMERA>\n<A default=\"1\" default=\"2\"/></CAMERA>", "'default' given twice", 2},
        {"undeclared_element_prefix", "<CAMERA><p:A/></CAMERA>", "undeclared namespace prefix 'p'", 1},
        {"undeclared_attribute_prefix", "<CAMERA xsi:noNamespaceSchemaLocation=\"CameraDef.xsd\"/>",
         "undeclared namespace prefix 'xsi'", 1},
        {"prefix_of_a_sibling", "<CAMERA><A xmlns:p=\"u\"/><p:B/></CAMERA>", "undeclared namespace prefix 'p'", 1},
        {"two_colons", "<CAMERA><a:b:c xmlns:a=\"u\"/></CAMERA>", "not a proper qualified name", 1},
        {"unknown_entity", "<CAMERA>\n<A>&nbsp;</A></CAMERA>", "unknown entity '&nbsp;'", 2},
        {"unknown_entity_in_attribute", "<CAMERA><A default=\"&x;\"/></CAMERA>", "unknown entity '&x;'", 1},
        {"bare_ampersand", "<CAMERA><A>a & b</A></CAMERA>", "'&' that starts no entity reference", 1},
        {"no_character", "<CAMERA><A>&#0;</A></CAMERA>", "unknown entity '&#0;'", 1},
        {"less_than_in_attribute", "<CAMERA><A default=\"<\"/></CAMERA>", "'<' in the value", 1},
        {"other_root", "<?xml version=\"1.0\"?>\n<Camera><LOCALSPACE/></Camera>", "root element is <Camera>", 0},
        {"declared_prefixes", "<CAMERA xmlns:xsi=\"u\" xsi:a=\"1\"><xsi:B><xsi:C xsi:d=\"2\"/></xsi:B></CAMERA>", nullptr, 0},
        {"references", "<CAMERA><A d=\"&lt;&quot;&#x41;\">&amp;&#65;&gt;<![CDATA[&x]]></A></CAMERA><!-- after -->\r\n",
         nullptr, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RegisterMapError error;
        const RegisterMapPtr map = RegisterMap::LoadBuffer(row.bytes, std::strlen(row.bytes), "test", &error);
        if (!row.expected) {
            ASSERT_TRUE(map) << error.Text("test");
            continue;
        }
        EXPECT_FALSE(map);
        EXPECT_NE(error.reason.find(row.expected), std::string::npos) << error.Text("test");
        EXPECT_EQ(error.code, RegisterMapError::kNotWellFormed);
        EXPECT_EQ(error.line, row.line) << error.Text("test");
    }
    const RegisterMapPtr map = corvel::test::LoadMapText(rows[std::size(rows) - 1].bytes);
    ASSERT_TRUE(map);
    EXPECT_EQ(map->Select("CAMERA/A").AsString(), "&A>&x");
    EXPECT_EQ(map->Select("CAMERA/A/@d").AsString(), "<\"A");
}

// Example failure: an element nested hundreds of thousands deep (a few MB of map) overflows the
// stack when its text, or the path of a node inside it, is read.
TEST(RegisterMap, ReadsDeeplyNestedElementsWithoutRecursion)
{
    constexpr int kDepth = 400000;
    std::string xml = "<CAMERA><CameraType>";
    xml.reserve(static_cast<std::size_t>(kDepth) * 7 + 64);
    for (int i = 0; i < kDepth; ++i)
        xml += "<a>";
    xml += "deep";
    for (int i = 0; i < kDepth; ++i)
        xml += "</a>";
    xml += "tail</CameraType></CAMERA>";
    const RegisterMapPtr map = corvel::test::LoadMapText(xml);
    ASSERT_TRUE(map);
    const CXmlNodeValue type = map->Select("CAMERA/CameraType");
    EXPECT_EQ(type.AsString(), "deeptail");

    pugi::xml_node deepest = type.Node().node();
    while (deepest.first_child().type() == pugi::node_element)
        deepest = deepest.first_child();
    WarningRecorder warnings;
    EXPECT_EQ(CXmlNodeValue(map, pugi::xpath_node(deepest)).AsInt64(), 0);
    ASSERT_EQ(warnings.messages.size(), 1u);
    EXPECT_NE(warnings.messages[0].find("CAMERA/CameraType/a/a/a/"), std::string::npos);
    EXPECT_GT(warnings.messages[0].size(), static_cast<std::size_t>(kDepth) * 2);
}

// Example failure: a map file that is missing, a folder, or larger than any map is read anyway.
TEST(RegisterMap, LoadsFilesAndRefusesNonFiles)
{
    TempDir dir;
    dir.Write("CamDef.Test.xml", kMap);
    RegisterMapError error;
    auto map = RegisterMap::LoadFile(dir / "CamDef.Test.xml", &error);
    ASSERT_TRUE(map) << error.reason;
    EXPECT_EQ(map->Select("CAMERA/CameraType").AsString(), "Test sensor");
    EXPECT_EQ(map->Source(), (dir / "CamDef.Test.xml").string());

    std::filesystem::create_directory(dir / "CamDef.Folder.xml");
    EXPECT_FALSE(RegisterMap::LoadFile(dir / "CamDef.Folder.xml", &error));
    EXPECT_FALSE(RegisterMap::LoadFile(dir / "missing.xml", &error));
    EXPECT_EQ(error.code, RegisterMapError::kNotFound);

    std::filesystem::resize_file(dir / "CamDef.Test.xml", RegisterMap::kMaxFileSize + 1);
    EXPECT_FALSE(RegisterMap::LoadFile(dir / "CamDef.Test.xml", &error));
    EXPECT_EQ(error.code, RegisterMapError::kTooLarge);
}

// Example failure: a node holder outlives the map and reads freed memory.
TEST(RegisterMap, HoldersKeepTheDocumentAlive)
{
    CXmlNodeValue address;
    {
        auto map = LoadTestMap();
        ASSERT_TRUE(map);
        address = map->Select("CAMERA/LOCALSPACE/CCD_ID/address");
    }
    EXPECT_EQ(address.AsInt64(), 0x6000);
}

// Example failure: a plain path ("A/m", "A/@d") is walked without the XPath engine and stops at
// the first namesake element, so it misses a node the engine finds under a later namesake (or
// finds one the engine would not).
TEST(RegisterMap, PlainPathsSelectWhatTheXPathEngineSelects)
{
    const auto map = corvel::test::LoadMapText(
        "<CAMERA><S>"
        "<A><x>1</x></A><A d=\"2\"><m>3</m><m>4</m></A><A><m>5</m><B><c>6</c></B></A><B><c>7</c></B>"
        "<a-b.c_d>8</a-b.c_d>"
        "</S></CAMERA>");
    ASSERT_TRUE(map);
    const CXmlNodeValue section = map->Select("CAMERA/S");
    // Each plain path beside the same path in a form only the XPath engine takes.
    const char* const paths[] = {"A",   "A/x", "A/m",  "A/@d", "A/B/c",  "B/c",     "A/y",   "Q",
                                 "A/@q", "a-b.c_d", "A/B", "B",   "A/m/@d", "A/x/@d"};
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        const CXmlNodeValue plain = section.Select(path);
        const CXmlNodeValue engine = section.Select(std::string("./") + path);
        EXPECT_EQ(plain.IsNull(), engine.IsNull());
        EXPECT_EQ(plain.Node(), engine.Node());
        EXPECT_EQ(plain.AsString(), engine.AsString());
    }
    EXPECT_EQ(section.Select("A/m").AsInt64(), 3);
    EXPECT_EQ(section.Select("A/@d").AsInt64(), 2);
    EXPECT_EQ(section.Select("A/B/c").AsInt64(), 6);
    EXPECT_EQ(map->Select("CAMERA/S/B/c").AsInt64(), 7);
}
