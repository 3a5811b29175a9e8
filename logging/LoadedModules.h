// The modules (executable and shared libraries) loaded in this process, for module links: a
// log can be linked to every module whose path contains a given name.
#pragma once

#include <string>

namespace orvlog {

/// Handle (load base, as platform::ModuleHandleOf gives it) of the first loaded module whose
/// full path contains `name`, compared without regard to case; null when none does.
void* FindLoadedModule(std::wstring_view name);

}  // namespace orvlog
