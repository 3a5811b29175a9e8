#include "camera/ISettings.h"

ISettings& ApplicationLinkSettings()
{
    static ProfileLinkSettings settings(platform::ProfileSettings::Application());
    return settings;
}
