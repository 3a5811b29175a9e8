#include "platform/DynamicLibrary.h"

#include <gtest/gtest.h>

using namespace platform;

// Example failure: a library that does not load, or a missing entry, gives no reason, so the
// port list cannot say why a Camera Link library was skipped.
TEST(DynamicLibrary, LoadsFindsAndExplains)
{
    DynamicLibrary library;
    ASSERT_TRUE(library.Load(TEST_MODULE_PATH)) << library.Error();
    auto answer = library.Function<int (*)()>("TestModuleAnswer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);

    EXPECT_EQ(library.Symbol("clSerialInit"), nullptr);
    EXPECT_NE(library.Error().find("clSerialInit"), std::string::npos) << library.Error();

    DynamicLibrary moved = std::move(library);
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_TRUE(moved.IsLoaded());

    DynamicLibrary missing;
    EXPECT_FALSE(missing.Load("/nonexistent/libclser_none.so"));
    EXPECT_FALSE(missing.Error().empty());
    EXPECT_EQ(missing.Symbol("x"), nullptr);
}

// Example failure: the module handle of code in a shared library is the executable's, so log
// records name the wrong module.
TEST(DynamicLibrary, ModuleHandlesTellModulesApart)
{
    DynamicLibrary library;
    ASSERT_TRUE(library.Load(TEST_MODULE_PATH)) << library.Error();
    void* inLibrary = library.Symbol("TestModuleAnswer");
    void* libraryBase = ModuleHandleOf(inLibrary);
    void* exeBase = ModuleHandleOf(reinterpret_cast<const void*>(&ModuleHandleOf));
    ASSERT_NE(libraryBase, nullptr);
    ASSERT_NE(exeBase, nullptr);
    EXPECT_NE(libraryBase, exeBase);
    EXPECT_EQ(ModulePathOf(inLibrary), std::filesystem::canonical(TEST_MODULE_PATH));
    EXPECT_EQ(ModuleHandleOf(nullptr), nullptr);
}
