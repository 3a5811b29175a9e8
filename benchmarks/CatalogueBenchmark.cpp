// Time to load the built-in machine-vision register map (resource 170, about 300 registers) and
// define its whole catalogue, and the memory the catalogue takes. No port is open, so the end
// steps' camera reads fail at once and no camera traffic is counted. The table lists every
// element of the map in map order, typed by its children as the machine-vision catalogue types
// them.
#include "camera/CXmlNodeValue.h"
#include "camera/CameraLink.h"
#include "catalogues/CatalogueEngine.h"
#include "tests/camera/LinkFixture.h"
#include "resources/BuiltinResources.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <deque>
#include <new>
#include <optional>
#include <string>
#include <vector>

// Every allocation of this program is counted, so a run can tell the bytes a build keeps.
namespace {

std::atomic<long long> g_liveBytes{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* CountedAlloc(std::size_t size)
{
    void* block = std::malloc(size + kHeader);
    if (!block)
        throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    g_liveBytes += static_cast<long long>(size);
    return static_cast<char*>(block) + kHeader;
}

void CountedFree(void* pointer)
{
    if (!pointer)
        return;
    void* block = static_cast<char*>(pointer) - kHeader;
    g_liveBytes -= static_cast<long long>(*static_cast<std::size_t*>(block));
    std::free(block);
}

/// The document's own allocations go through the same count.
void* CountedAllocNoThrow(std::size_t size)
{
    try {
        return CountedAlloc(size);
    } catch (...) {
        return nullptr;
    }
}
const bool g_documentCounted = (pugi::set_memory_management_functions(CountedAllocNoThrow, CountedFree), true);

}  // namespace

void* operator new(std::size_t size) { return CountedAlloc(size); }
void* operator new[](std::size_t size) { return CountedAlloc(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocNoThrow(size); }
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* pointer) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer) noexcept { CountedFree(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { CountedFree(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { CountedFree(pointer); }

namespace {

using corvel::test::FakeHost;
using corvel::test::MemorySettings;

/// A table of every element of a map, kept with the names it points into.
struct MapTable {
    std::deque<std::string> names;
    std::deque<std::vector<CatalogueParam>> params;
    std::deque<std::vector<CatalogueGroup>> groups;
    std::vector<CatalogueSection> sections;
    CatalogueTable table{"benchmark", {}};
    std::size_t count = 0;

    static OrvParamType TypeOf(const CXmlNodeValue& element)
    {
        if (element.Select("step"))
            return OrvParam_Float;
        if (element.Name().rfind("Mfg", 0) == 0 && !element.Select("min"))
            return OrvParam_String;
        if (!element.Select("min") && !element.Select("max"))
            return OrvParam_Bool;
        return OrvParam_Int;
    }

    std::vector<CatalogueParam>& Params(const CXmlNodeValue& parent)
    {
        auto& list = params.emplace_back();
        for (const CXmlNodeValue& element : parent.SelectAll("*")) {
            if (!element.Select("address") && !element.Select("step"))
                continue;  // a group, or the camera type
            list.push_back({names.emplace_back(element.Name()).c_str(), TypeOf(element)});
            ++count;
        }
        return list;
    }

    explicit MapTable(const RegisterMap& map)
    {
        for (const CXmlNodeValue& section : map.Select("CAMERA").SelectAll("*")) {
            auto& sectionGroups = groups.emplace_back();
            for (const CXmlNodeValue& group : section.SelectAll("*[not(address) and not(step) and *]"))
                sectionGroups.push_back({names.emplace_back(group.Name()).c_str(), Params(group)});
            sections.push_back({names.emplace_back(section.Name()).c_str(), Params(section), sectionGroups});
        }
        table.sections = sections;
    }
};

RegisterMapPtr LoadMap170()
{
    const BuiltinResource* resource = FindBuiltinResource(170);
    return resource ? RegisterMap::LoadBuffer(resource->data, resource->size, "res://corvel/#170") : nullptr;
}

/// The map, its table and a link with a main window and no port.
struct Bench {
    RegisterMapPtr map = LoadMap170();
    std::optional<MapTable> table;
    MemorySettings settings;
    FakeHost host;
    CCameraLink link{&settings};

    explicit Bench(benchmark::State& state)
    {
        if (!map) {
            state.SkipWithError("map 170 is not built in");
            return;
        }
        table.emplace(*map);
        link.SetMainWindow(&host);
    }
    bool Ready() const { return table.has_value(); }
    CatalogueBuildResult Build(const RegisterMapPtr& document) { return BuildCatalogue(link, document, false, table->table, nullptr); }
};

/// Load the map and build its catalogue, once per iteration.
void BM_LoadAndBuildMap170(benchmark::State& state)
{
    Bench bench(state);
    if (!bench.Ready())
        return;
    CatalogueBuildResult result;
    for (auto _ : state) {
        result = bench.Build(LoadMap170());
        benchmark::DoNotOptimize(result.defined);
    }
    state.counters["registers"] = static_cast<double>(bench.table->count);
    state.counters["defined"] = result.defined;
    state.counters["linked"] = result.linked;
}
BENCHMARK(BM_LoadAndBuildMap170)->Unit(benchmark::kMicrosecond);

/// Definition alone, on a map already loaded.
void BM_BuildMap170(benchmark::State& state)
{
    Bench bench(state);
    if (!bench.Ready())
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.Build(bench.map).defined);
}
BENCHMARK(BM_BuildMap170)->Unit(benchmark::kMicrosecond);

/// Bytes a build keeps: the catalogue in the store (records, links, names) after the store was
/// cleared, and a loaded document on its own. Reported as counters; the time is not the point.
void BM_CatalogueMemory(benchmark::State& state)
{
    Bench bench(state);
    if (!bench.Ready())
        return;
    long long catalogueBytes = 0, documentBytes = 0;
    for (auto _ : state) {
        const long long start = g_liveBytes;
        const RegisterMapPtr map = LoadMap170();
        documentBytes = g_liveBytes - start;
        bench.link.ClearStorage();
        bench.link.m_pRegisterMap = nullptr;
        const long long empty = g_liveBytes;
        bench.Build(map);
        catalogueBytes = g_liveBytes - empty;
    }
    state.counters["catalogue_bytes"] = static_cast<double>(catalogueBytes);
    state.counters["document_bytes"] = static_cast<double>(documentBytes);
}
BENCHMARK(BM_CatalogueMemory)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
