// Folders the program keeps its data in: the per-user data folder (settings, logs, workspaces),
// the common folder for crash reports and the runtime folder for lock files. Each follows the
// XDG variables with their usual defaults.
#pragma once

#include <filesystem>
#include <string>

namespace platform {

/// $XDG_DATA_HOME, else ~/.local/share (the local application-data folder).
std::filesystem::path LocalAppDataPath();

/// $XDG_STATE_HOME, else ~/.local/state (the common application-data folder: crash reports).
std::filesystem::path CommonAppDataPath();

/// $XDG_RUNTIME_DIR when it is an existing folder, else /tmp (lock files).
std::filesystem::path RuntimePath();

/// The program's per-user data folder: LocalAppDataPath()/Orvane/Corvel.ZorvatKelmir/.
std::filesystem::path CorvelDataPath();

/// The data folder, created with its parents (failures ignored), ending in '/'.
std::filesystem::path GetAppDataFolder();

/// The data folder (created) with `name` appended when it is neither null nor empty: the paths
/// of the settings, log and GUI-settings files. A new string each call.
std::string GetAppDataPathA(const char* name);

/// Folder of the running executable (register-map overrides and the help file sit beside it).
std::filesystem::path ExecutableFolder();

/// Creates a folder and all its parents. Returns true when the folder exists afterwards.
bool CreateFolderPath(const std::filesystem::path& folder, std::string* error = nullptr);

}  // namespace platform
