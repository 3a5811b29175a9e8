// Fuzz target: arbitrary bytes loaded as a register map, then every element read the way the
// catalogue builders and panels read them (limits, bit fields, flags, value lists by id and by
// position). A map that loads must never crash, throw or shift out of range while it is read.
#include "camera/CXmlNodeValue.h"
#include "camera/ValueCoder.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void ReadElement(const RegisterMap& map, const CXmlNodeValue& element, const std::string& path)
{
    const char* const children[] = {"address", "mask", "shift", "min", "max", "access", "poll", "page", "seq"};
    for (const char* child : children)
        (void)element.Select(child).AsInt64();
    (void)element.Select("@default").AsInt64();
    (void)element.Select("@default").AsDouble();
    (void)element.Select("@default").AsBool();
    (void)element.Select("@default").AsString();
    (void)element.Select("step").AsDouble();
    (void)element.Select("min_d").AsDouble();
    (void)element.Select("max_d").AsDouble();
    (void)element.Select("ws").AsBool();
    (void)element.Select("cmd").AsString();

    // The coder sees whatever the map says: the shift guard must hold for any value.
    const auto mask = static_cast<std::uint32_t>(element.Select("mask").AsInt64());
    const auto shift = static_cast<int>(element.Select("shift").AsInt64());
    const auto word = ValueCoder::EncodeInteger(element.Select("max").AsInt64(), mask, shift);
    if (word)
        (void)ValueCoder::DecodeField(*word, mask, shift);

    // Look-ups go by path from the document; only when the path leads back to this element
    // (no earlier namesake) must every listed entry be found at its position.
    const bool unique = map.Select(path).Node() == element.Node();
    int position = 1;
    for (const CXmlNodeValue& entry : element.SelectAll("val")) {
        const std::int64_t id = entry.Select("@id").AsInt64();
        std::int32_t value = 0;
        (void)GetEnumValueById(map, id, value, path);
        (void)GetValTextById(map, path, id);
        std::int64_t byPosition = 0;
        if (!GetValByPosition(map, path, position++, byPosition) && unique)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const RegisterMapPtr map = RegisterMap::LoadBuffer(data, size, "fuzz");
    if (!map)
        return 0;
    const CXmlNodeValue root = map->Select("CAMERA");
    int budget = 2000;  // keeps one input's work bounded
    for (const CXmlNodeValue& section : root.SelectAll("*")) {
        for (const CXmlNodeValue& element : section.SelectAll("*")) {
            if (--budget < 0)
                return 0;
            const std::string path = "CAMERA/" + section.Name() + "/" + element.Name();
            ReadElement(*map, element, path);
            for (const CXmlNodeValue& grouped : element.SelectAll("*[address]")) {
                if (--budget < 0)
                    return 0;
                ReadElement(*map, grouped, path + "/" + grouped.Name());
            }
        }
    }
    return 0;
}
