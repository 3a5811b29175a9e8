// Register maps written as text in a test, and a recorder of the warnings that reading them
// gives (they go to the application log otherwise).
#pragma once

#include "camera/CXmlNodeValue.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace corvel::test {

/// Loads `xml` as a map named `source`; a map that does not load fails the test.
inline RegisterMapPtr LoadMapText(std::string_view xml, const std::string& source = "test-map")
{
    RegisterMapError error;
    RegisterMapPtr map = RegisterMap::LoadBuffer(xml.data(), xml.size(), source, &error);
    EXPECT_TRUE(map) << error.Text(source);
    return map;
}

class WarningRecorder {
public:
    WarningRecorder()
    {
        previous_ = SetRegisterMapWarningSink([this](const std::string& m) { messages.push_back(m); });
    }
    ~WarningRecorder() { SetRegisterMapWarningSink(previous_); }
    WarningRecorder(const WarningRecorder&) = delete;
    WarningRecorder& operator=(const WarningRecorder&) = delete;

    /// Warnings that contain every one of `parts`.
    int Count(std::initializer_list<std::string_view> parts) const
    {
        int n = 0;
        for (const std::string& m : messages) {
            bool all = true;
            for (std::string_view part : parts)
                all = all && m.find(part) != std::string::npos;
            n += all ? 1 : 0;
        }
        return n;
    }

    std::vector<std::string> messages;

private:
    RegisterMapWarningSink previous_;
};

}  // namespace corvel::test
