#include "LibraryPortSelector.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

std::optional<std::string> FirstSerialLibrary()
{
    const char* variable = std::getenv("CLSERIALPATH");
    if (!variable)
        return std::nullopt;
    std::stringstream folders(variable);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty())
            continue;
        std::error_code ec;
        std::vector<std::string> libraries;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
            if (entry.path().extension() == ".so" && entry.is_regular_file(ec))
                libraries.push_back(entry.path().string());
        if (!libraries.empty())
            return *std::min_element(libraries.begin(), libraries.end());
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
