#include "orvmisc/OrvParamStorage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Callbacks are plain functions; they reach the test through this hook, keyed by owner id.
struct Hooks {
    std::vector<std::string> events;
    std::function<int(_OrvStParam*)> read, write;
    std::function<int(_OrvStParam*, const void*)> changing;
};
Hooks* g_hooks = nullptr;
constexpr std::uint32_t kOwner = 77;

int ReadCb(std::uint32_t owner, _OrvStParam* p)
{
    g_hooks->events.push_back(std::string("read ") + p->name + (owner == kOwner ? "" : " wrong-owner"));
    return g_hooks->read ? g_hooks->read(p) : 0;
}
int WriteCb(std::uint32_t, _OrvStParam* p)
{
    g_hooks->events.push_back(std::string("write ") + p->name + " " + std::to_string(p->value.n));
    return g_hooks->write ? g_hooks->write(p) : 0;
}
int ChangingCb(std::uint32_t, _OrvStParam* p, const void* v)
{
    g_hooks->events.push_back(std::string("changing ") + p->name + " " + std::to_string(p->value.n) +
                              "->" + std::to_string(*static_cast<const std::int64_t*>(v)));
    return g_hooks->changing ? g_hooks->changing(p, v) : 0;
}
int EchoCb(std::uint32_t, _OrvStParam* p, const void*)
{
    g_hooks->events.push_back(std::string("echo ") + p->name);
    return -7004;  // an echo without a register link fails; the store must ignore it
}

class TestStore : public OrvParamStorage {
public:
    TestStore() : OrvParamStorage(kOwner) {}
    using OrvParamStorage::SetParam;
};

struct RecordingListener : OrvParamListener {
    std::string tag;
    std::function<void(const _OrvStParam*)> action;
    explicit RecordingListener(std::string t) : tag(std::move(t)) {}
    void OnParamChanged(const _OrvStParam* p) override
    {
        g_hooks->events.push_back("listener " + tag + " " + p->name + " " + std::to_string(p->value.n));
        if (action)
            action(p);
    }
};

_OrvStParam MakeParam(const char* name, OrvParamType type, bool callbacks = true)
{
    _OrvStParam p{};
    p.type = type;
    p.access = OrvParam_ReadWrite;
    std::strncpy(p.name, name, sizeof p.name - 1);
    if (callbacks) {
        p.read = ReadCb;
        p.write = WriteCb;
        p.changing = type == OrvParam_Int ? ChangingCb : nullptr;
        p.echo = EchoCb;
    }
    return p;
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hooks = &hooks;
        ASSERT_EQ(store.AddParam(MakeParam("Gain", OrvParam_Int)), 0);
        ASSERT_EQ(store.AddParam(MakeParam("Offset", OrvParam_Int)), 0);
    }
    void TearDown() override { g_hooks = nullptr; }

    Hooks hooks;
    TestStore store;
};

// Example failure: the write callback runs before the value is stored, or the changing check
// sees the new value in the record, so a write sends the old register word.
TEST_F(StoreTest, SetRunsChangingStoreWriteEchoThenListeners)
{
    RecordingListener a("a"), b("b");
    store.AddParamChangedListener("Gain", &a);
    store.AddParamChangedListener("Gain", &b);
    store.AddParamChangedListener("Gain", &a);  // registered once
    store.AddParamChangedListener("Offset", &b);

    EXPECT_EQ(store.SetParamInt("Gain", 5, true), 0);
    EXPECT_EQ(hooks.events, (std::vector<std::string>{"changing Gain 0->5", "write Gain 5", "echo Gain",
                                                      "listener a Gain 5", "listener b Gain 5"}));
    hooks.events.clear();
    EXPECT_EQ(store.SetParamInt("Gain", 6, false), 0);
    EXPECT_EQ(hooks.events, (std::vector<std::string>{"changing Gain 5->6", "write Gain 6", "echo Gain"}));
}

// Example failure: a vetoed or failed set still stores, writes or notifies, so panels show a
// value the camera never took.
TEST_F(StoreTest, VetoAndFailedWriteStopTheRest)
{
    RecordingListener a("a");
    store.AddParamChangedListener("Gain", &a);

    hooks.changing = [](_OrvStParam*, const void*) { return kOrvParamUnchanged; };
    EXPECT_EQ(store.SetParamInt("Gain", 9, true), kOrvParamUnchanged);
    EXPECT_EQ(hooks.events, std::vector<std::string>{"changing Gain 0->9"});
    _OrvStParam copy;
    ASSERT_EQ(store.GetParamData("Gain", &copy), 0);
    EXPECT_EQ(copy.value.n, 0);

    hooks.events.clear();
    hooks.changing = nullptr;
    hooks.write = [](_OrvStParam*) { return 15; };
    EXPECT_EQ(store.SetParamInt("Gain", 9, true), 15);
    EXPECT_EQ(hooks.events, (std::vector<std::string>{"changing Gain 0->9", "write Gain 9"}));
    // The refused value is not kept: the record holds what the camera holds.
    ASSERT_EQ(store.GetParamData("Gain", &copy), 0);
    EXPECT_EQ(copy.value.n, 0);
}

// Example failure: a get answers the stale value, runs the echo after a failed read, or
// overwrites the caller's value on failure.
TEST_F(StoreTest, GetReadsThroughTheCallback)
{
    hooks.read = [this](_OrvStParam* p) {
        std::int64_t word = 0x1234;
        return store.SetParam(p, &word, sizeof word);
    };
    std::int64_t value = -1;
    EXPECT_EQ(store.GetParamInt("Gain", &value), 0);
    EXPECT_EQ(value, 0x1234);
    EXPECT_EQ(hooks.events, (std::vector<std::string>{"read Gain", "echo Gain"}));

    hooks.events.clear();
    hooks.read = [](_OrvStParam*) { return -10004; };
    value = -1;
    EXPECT_EQ(store.GetParamInt("Gain", &value), -10004);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(hooks.events, std::vector<std::string>{"read Gain"});
}

// Example failure: an integer get of a flag reads the whole 8-byte slot, so a false flag whose
// default byte is set reads as 256.
TEST_F(StoreTest, IntegerGetOfABooleanIsZeroOrOne)
{
    _OrvStParam flag = MakeParam("AECMin", OrvParam_Bool, false);
    flag.value.b.def = 1;
    ASSERT_EQ(store.AddParam(flag), 0);
    std::int64_t n = -1;
    EXPECT_EQ(store.GetParamInt("AECMin", &n), 0);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(store.SetParamBool("AECMin", true, false), 0);
    EXPECT_EQ(store.GetParamInt("AECMin", &n), 0);
    EXPECT_EQ(n, 1);
    double d = 0;
    EXPECT_EQ(store.GetParamFloat("AECMin", &d), kOrvParamWrongType);
}

// Example failure: a typed call on a missing name or a different type reinterprets the slot or
// crashes instead of answering an error.
TEST_F(StoreTest, UnknownNamesAndWrongTypesAreRefused)
{
    ASSERT_EQ(store.AddParam(MakeParam("Ratio", OrvParam_Float, false)), 0);
    ASSERT_EQ(store.AddParam(MakeParam("Name", OrvParam_String, false)), 0);
    std::int64_t n = 3;
    bool b = true;
    double d = 2;
    char text[8] = "x";
    std::size_t len = sizeof text;
    struct Row { const char* name; int result; };
    const Row rows[] = {
        {"missing int", store.GetParamInt("Nope", &n)},
        {"missing set", store.SetParamInt("Nope", 1, true)},
        {"float as int", store.GetParamInt("Ratio", &n)},
        {"int as bool", store.GetParamBool("Gain", &b)},
        {"int as float", store.GetParamFloat("Gain", &d)},
        {"int as string", store.GetParamString("Gain", text, &len)},
        {"set float on int", store.SetParamFloat("Gain", 1.5, true)},
        {"set string on float", store.SetParamString("Ratio", "x", true)},
        {"null name", store.SetParamInt(nullptr, 1, true)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NE(row.result, 0);
    }
    EXPECT_EQ(n, 3);
    EXPECT_TRUE(b);
    EXPECT_EQ(d, 2);
    EXPECT_TRUE(hooks.events.empty());
}

// Example failure: the store keeps the caller's text pointer, which dies after AddParam, or a
// string get overruns a small buffer.
TEST_F(StoreTest, StringsAreOwnedAndCopiedWithinTheBuffer)
{
    {
        auto p = std::make_unique<_OrvStParam>(MakeParam("Model", OrvParam_String, false));
        p->defText = std::string(40, 'd');
        ASSERT_EQ(store.AddParam(*p), 0);
    }
    EXPECT_EQ(store.SetParamString("Model", "ABCDEFG", false), 0);
    char small[4];
    std::size_t len = sizeof small;
    EXPECT_EQ(store.GetParamString("Model", small, &len), 0);
    EXPECT_STREQ(small, "ABC");
    EXPECT_EQ(len, 3u);
    len = 0;
    EXPECT_EQ(store.GetParamString("Model", nullptr, &len), 0);
    EXPECT_EQ(len, 7u);
    _OrvStParam copy;
    ASSERT_EQ(store.GetParamData("Model", &copy), 0);
    EXPECT_EQ(copy.defText, std::string(40, 'd'));

    // A string stored from camera bytes stops at the first zero byte.
    const char raw[5] = {'A', 'B', 0, 'C', 0};
    EXPECT_EQ(store.SetParam(&copy, raw, sizeof raw), 0);
    ASSERT_EQ(store.GetParamData("Model", &copy), 0);
    EXPECT_EQ(copy.text, "AB");
}

// Example failure: duplicate or over-long names are accepted, so two records answer one name.
TEST_F(StoreTest, AddRefusesDuplicatesAndBadNames)
{
    EXPECT_EQ(store.AddParam(MakeParam("Gain", OrvParam_Int)), kOrvParamExists);
    EXPECT_NE(store.AddParam(MakeParam("", OrvParam_Int)), 0);
    _OrvStParam longName = MakeParam("x", OrvParam_Int);
    std::memset(longName.name, 'n', sizeof longName.name);  // no terminating zero
    EXPECT_NE(store.AddParam(longName), 0);
    std::memset(longName.name, 'n', kOrvParamNameMax);
    longName.name[kOrvParamNameMax] = 0;
    EXPECT_EQ(store.AddParam(longName), 0);
}

// Example failure: the list comes back in name order (the workspace is written in definition
// order), or a small array is overrun.
TEST_F(StoreTest, ParametersListKeepsDefinitionOrder)
{
    ASSERT_EQ(store.AddParam(MakeParam("Alpha", OrvParam_Int)), 0);
    std::size_t count = 0;
    EXPECT_EQ(store.GetParametersList(nullptr, &count), 0);
    ASSERT_EQ(count, 3u);
    std::vector<_OrvStParam> list(count);
    EXPECT_EQ(store.GetParametersList(list.data(), &count), 0);
    EXPECT_STREQ(list[0].name, "Gain");
    EXPECT_STREQ(list[1].name, "Offset");
    EXPECT_STREQ(list[2].name, "Alpha");
    count = 2;
    EXPECT_EQ(store.GetParametersList(list.data(), &count), kOrvParamTooSmall);
    EXPECT_EQ(count, 2u);
}

// Example failure: a record without a link answers 0 and garbage, or a link survives a clear.
TEST_F(StoreTest, LinkedBlocksRoundTrip)
{
    unsigned char block[308];
    for (std::size_t i = 0; i < sizeof block; ++i)
        block[i] = static_cast<unsigned char>(i);
    EXPECT_EQ(store.LinkParamData("Gain", block, sizeof block), 0);
    unsigned char out[308] = {};
    EXPECT_EQ(store.GetLinkedData("Gain", out, sizeof out), 0);
    EXPECT_EQ(std::memcmp(block, out, sizeof out), 0);
    EXPECT_NE(store.GetLinkedData("Offset", out, sizeof out), 0);
    EXPECT_NE(store.LinkParamData("Nope", block, sizeof block), 0);
    store.ClearStorage();
    store.AddParam(MakeParam("Gain", OrvParam_Int));
    EXPECT_NE(store.GetLinkedData("Gain", out, sizeof out), 0);
}

// Example failure: a write callback that sets another parameter corrupts the first set, or
// the nested set's listeners run after the outer ones.
TEST_F(StoreTest, CallbackMaySetAnotherParameter)
{
    RecordingListener a("a");
    store.AddParamChangedListener("Gain", &a);
    store.AddParamChangedListener("Offset", &a);
    hooks.write = [this](_OrvStParam* p) {
        if (std::strcmp(p->name, "Gain") == 0)
            return store.SetParamInt("Offset", p->value.n * 2, true);
        return 0;
    };
    EXPECT_EQ(store.SetParamInt("Gain", 4, true), 0);
    EXPECT_EQ(hooks.events,
              (std::vector<std::string>{"changing Gain 0->4", "write Gain 4", "changing Offset 0->8",
                                        "write Offset 8", "echo Offset", "listener a Offset 8",
                                        "echo Gain", "listener a Gain 4"}));
}

// Example failure: a callback that clears the store (a rebuild from a nested event loop) leaves
// the running set with a freed record (the sanitizer build catches it).
TEST_F(StoreTest, CallbackMayClearTheStore)
{
    RecordingListener a("a");
    store.AddParamChangedListener("Gain", &a);
    hooks.write = [this](_OrvStParam*) {
        store.ClearStorage();
        return 0;
    };
    EXPECT_EQ(store.SetParamInt("Gain", 3, true), 0);
    EXPECT_EQ(hooks.events.back(), "listener a Gain 3");
    std::size_t count = 9;
    store.GetParametersList(nullptr, &count);
    EXPECT_EQ(count, 0u);

    ASSERT_EQ(store.AddParam(MakeParam("Gain", OrvParam_Int)), 0);
    hooks.write = nullptr;
    hooks.read = [this](_OrvStParam* p) {
        store.ClearStorage();
        std::int64_t v = 11;
        return store.SetParam(p, &v, 8);
    };
    std::int64_t value = 0;
    EXPECT_EQ(store.GetParamInt("Gain", &value), 0);
    EXPECT_EQ(value, 11);
}

// Example failure: a listener that removes itself or a later listener during notification
// invalidates the iteration, or the removed listener is still called.
TEST_F(StoreTest, ListenersMayRemoveListenersWhileNotified)
{
    RecordingListener first("first"), second("second"), third("third");
    for (auto* l : {&first, &second, &third})
        store.AddParamChangedListener("Gain", l);
    first.action = [&](const _OrvStParam*) {
        store.RemoveParamChangedListener("Gain", &first);
        store.RemoveParamChangedListener("Gain", &second);
    };
    EXPECT_EQ(store.SetParamInt("Gain", 1, true), 0);
    EXPECT_EQ(hooks.events, (std::vector<std::string>{"changing Gain 0->1", "write Gain 1", "echo Gain",
                                                      "listener first Gain 1", "listener third Gain 1"}));
    store.RemoveParamChangedListener("Gain", &first);  // not registered: nothing happens
}

// Example failure: a destroyed panel stays registered and the next set calls a dead object;
// or a listener outliving its store touches the freed store when it dies.
TEST_F(StoreTest, DestroyedListenersAndStoresUnlink)
{
    auto doomed = std::make_unique<RecordingListener>("doomed");
    RecordingListener killer("killer");
    store.AddParamChangedListener("Gain", &killer);
    store.AddParamChangedListener("Gain", doomed.get());
    store.AddParamChangedListener("Offset", doomed.get());
    killer.action = [&](const _OrvStParam*) { doomed.reset(); };
    EXPECT_EQ(store.SetParamInt("Gain", 2, true), 0);
    EXPECT_EQ(hooks.events.back(), "listener killer Gain 2");
    EXPECT_EQ(store.SetParamInt("Offset", 2, true), 0);
    EXPECT_EQ(hooks.events.back(), "echo Offset");

    RecordingListener survivor("survivor");
    {
        TestStore other;
        other.AddParamChangedListener("Gain", &survivor);
    }
    store.AddParamChangedListener("Gain", &survivor);
    hooks.events.clear();
    EXPECT_EQ(store.SetParamInt("Gain", 3, true), 0);
    EXPECT_EQ(hooks.events.back(), "listener survivor Gain 3");
}

}  // namespace
