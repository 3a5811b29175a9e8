// The settings the camera link reads: integer keys of the settings file's sections
// ("Communications" for the link). The link receives it; the program hands it the
// application's profile settings, tests an in-memory or temporary file.
#pragma once

#include "platform/ProfileSettings.h"

#include <string>

class ISettings {
public:
    virtual ~ISettings() = default;
    /// The key's integer value, or `defaultValue` when it is missing.
    virtual int GetInt(const std::string& section, const std::string& key, int defaultValue) const = 0;
    virtual bool WriteInt(const std::string& section, const std::string& key, int value) = 0;
};

/// ISettings over profile settings (an INI file). The profile settings must outlive it.
class ProfileLinkSettings final : public ISettings {
public:
    explicit ProfileLinkSettings(platform::ProfileSettings& profile) : profile_(profile) {}
    int GetInt(const std::string& section, const std::string& key, int defaultValue) const override
    {
        return profile_.GetProfileInt(section, key, defaultValue);
    }
    bool WriteInt(const std::string& section, const std::string& key, int value) override
    {
        return profile_.WriteProfileInt(section, key, value);
    }

private:
    platform::ProfileSettings& profile_;
};

/// The application's settings ("Corvel.ini" in the data folder) as ISettings.
ISettings& ApplicationLinkSettings();
