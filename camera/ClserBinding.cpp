#include "camera/ClserBinding.h"

#include <algorithm>
#include <cctype>

int BindClserEntries(platform::DynamicLibrary& library, ClserEntries& entries)
{
    ClserEntries bound;
    bound.clSerialInit = library.Function<PfnClSerialInit>(clser::kSerialInit);
    bound.clSerialRead = library.Function<PfnClSerialRead>(clser::kSerialRead);
    bound.clSerialWrite = library.Function<PfnClSerialWrite>(clser::kSerialWrite);
    bound.clSerialClose = library.Function<PfnClSerialClose>(clser::kSerialClose);
    entries = ClserEntries{};
    if (!bound.clSerialInit)
        return kClserNoInit;
    if (!bound.clSerialRead)
        return kClserNoRead;
    if (!bound.clSerialWrite)
        return kClserNoWrite;
    if (!bound.clSerialClose)
        return kClserNoClose;
    bound.clGetSupportedBaudRates = library.Function<PfnClGetSupportedBaudRates>(clser::kGetSupportedBaudRates);
    bound.clSetBaudRate = library.Function<PfnClSetBaudRate>(clser::kSetBaudRate);
    bound.clGetNumBytesAvail = library.Function<PfnClGetNumBytesAvail>(clser::kGetNumBytesAvail);
    bound.clFlushPort = library.Function<PfnClFlushPort>(clser::kFlushPort);
    bound.clGetNumSerialPorts = library.Function<PfnClGetNumSerialPorts>(clser::kGetNumSerialPorts);
    entries = bound;
    return 0;
}

bool IsClserLibraryName(const std::string& name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("clser") != std::string::npos;
}
