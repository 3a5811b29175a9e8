// Loads the register map of a configuration row: "CamDef.<map name>.xml" beside the executable
// when such a file or folder exists (it then wins, even when it is broken), else the map built
// into the program. A failure is logged and shown to the operator, and gives no map.
#pragma once

#include "camera/RegisterMap.h"

#include <filesystem>
#include <string>

/// What the loader tells the operator and the log when a map cannot be loaded. The application
/// implements it with its log (severity 4) and a message box.
class IMapLoadReporter {
public:
    virtual ~IMapLoadReporter() = default;
    /// "XML Load failed: filename=<...> parse error 0x... at line:column :reason"
    virtual void LogMapLoadError(const std::string& record) = 0;
    /// "Cannot open|parse XML file \"...\""
    virtual void ShowMapLoadError(const std::string& message) = 0;
};

/// Path of the override file for a row: <folder>/CamDef.<map name>.xml.
std::filesystem::path RegisterMapOverridePath(int row, const std::filesystem::path& exeFolder);

/// Loads the map of `row` (0-17; other values use the default row). `reporter` may be null.
RegisterMapPtr LoadRegisterMapForRow(int row, const std::filesystem::path& exeFolder, IMapLoadReporter* reporter);

/// The map compiled into the program under resource id `resourceId` (170-176), named
/// "res://corvel/#<id>"; null when the program carries none or it does not parse.
RegisterMapPtr LoadBuiltinRegisterMap(int resourceId);
