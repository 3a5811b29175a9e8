#include "RegisterMapLoader.h"

#include "ConfigurationTable.h"
#include "resources/BuiltinResources.h"

#include <cstdio>

std::filesystem::path RegisterMapOverridePath(int row, const std::filesystem::path& exeFolder)
{
    return exeFolder / (std::string("CamDef.") + ConfigurationRowFor(row).mapName + ".xml");
}

namespace {

std::string BuiltinSource(int resourceId) { return "res://corvel/#" + std::to_string(resourceId); }

}  // namespace

RegisterMapPtr LoadBuiltinRegisterMap(int resourceId)
{
    const BuiltinResource* builtin = FindBuiltinResource(resourceId);
    return builtin ? RegisterMap::LoadBuffer(builtin->data, builtin->size, BuiltinSource(resourceId)) : nullptr;
}

RegisterMapPtr LoadRegisterMapForRow(int row, const std::filesystem::path& exeFolder, IMapLoadReporter* reporter)
{
    const ConfigurationRow& config = ConfigurationRowFor(row);
    const std::filesystem::path file = RegisterMapOverridePath(row, exeFolder);

    std::error_code ec;
    const bool overridden = std::filesystem::exists(file, ec);
    const BuiltinResource* builtin = config.builtinMapId ? FindBuiltinResource(config.builtinMapId) : nullptr;

    std::string source;
    RegisterMapError error;
    RegisterMapPtr map;
    if (!overridden && builtin) {
        source = BuiltinSource(builtin->id);
        map = RegisterMap::LoadBuffer(builtin->data, builtin->size, source, &error);
    } else {
        source = file.string();
        map = RegisterMap::LoadFile(file, &error);
    }
    if (map)
        return map;

    if (reporter) {
        char head[64];
        std::snprintf(head, sizeof head, "> parse error 0x%X at %d:%d :", static_cast<unsigned>(error.code),
                      error.line, error.column);
        reporter->LogMapLoadError("XML Load failed: filename=<" + source + head + error.reason);
        reporter->ShowMapLoadError("Cannot open|parse XML file \"" + source + "\"");
    }
    return nullptr;
}
