// Every writable integer parameter of the Zorvat catalogues, written and read back
// through the emulated camera: catches a link record that does not match its map element, a
// field coded to the wrong bits, and traffic beyond the one frame each operation needs.
#include "MachineVisionFixture.h"

#include "camera/CXmlNodeValue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace corvel::test;

class MachineVisionSweepTest : public CatalogueLinkTest {};

// Example failure: a field lands in the wrong register or at the wrong bits (a link record built
// from another element, a mask or shift lost on the way), so the camera receives another value
// than the panel set, or the read back decodes another field.
TEST_F(MachineVisionSweepTest, EveryWritableIntegerReachesItsRegisterAndReadsBack)
{
    for (const CatalogueConfig& config : kZorvatConfigs) {
        SCOPED_TRACE(config.name);
        StartCamera(config);
        ASSERT_FALSE(HasFatalFailure());
        const RegisterMap& map = *BuiltinMap(config.mapId);
        Build(config, false);
        int swept = 0;
        std::set<std::uint16_t> addresses;
        SweepWritableIntegers(map, swept, addresses);
        ASSERT_FALSE(HasFatalFailure());
        // Every writable integer of the catalogue, each in a register of its own.
        EXPECT_EQ(swept, config.writableInts);
        EXPECT_EQ(addresses.size(), static_cast<std::size_t>(swept));
    }
}
