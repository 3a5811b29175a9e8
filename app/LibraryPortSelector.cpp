#include "LibraryPortSelector.h"

#include "CPortSelector.h"
#include "camera/ClserBinding.h"
#include "platform/DynamicLibrary.h"

std::optional<std::string> FirstSerialLibrary()
{
    // The port selector's candidates, without the system folder; only a library that binds
    // the serial entries can be a camera's.
    for (const std::string& path : SerialLibraries(LibraryFolders({}))) {
        platform::DynamicLibrary library;
        ClserEntries entries;
        if (library.Load(path) && BindClserEntries(library, entries) == 0)
            return path;
    }
    return std::nullopt;
}

bool CLibraryPortSelector::Run(PortChoice& choice)
{
    if (used_)
        return false;
    used_ = true;
    choice.name = library_;
    choice.portIndex = 0;
    choice.isLibrary = true;
    return true;
}
