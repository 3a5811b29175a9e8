// Binding of a Camera Link serial library's entries by name. The four required entries are
// looked up in order and the first missing one decides the result; the five optional ones may
// be missing. A failed binding leaves no entry bound, so nothing can open a port that could not
// be closed.
#pragma once

#include "camera/clser.h"
#include "platform/DynamicLibrary.h"

/// Result of a library that could not be loaded.
inline constexpr int kClserLoadFailed = -51;
/// Results of a missing required entry.
inline constexpr int kClserNoInit = -52;
inline constexpr int kClserNoRead = -53;
inline constexpr int kClserNoWrite = -54;
inline constexpr int kClserNoClose = -55;

struct ClserEntries {
    PfnClFlushPort clFlushPort = nullptr;
    PfnClSerialWrite clSerialWrite = nullptr;
    PfnClSerialRead clSerialRead = nullptr;
    PfnClSerialInit clSerialInit = nullptr;
    PfnClSerialClose clSerialClose = nullptr;                      ///< m_pfClose
    PfnClGetSupportedBaudRates clGetSupportedBaudRates = nullptr;  ///< m_pfGetBaudRates
    PfnClSetBaudRate clSetBaudRate = nullptr;                      ///< m_pSetBaudRate
    PfnClGetNumBytesAvail clGetNumBytesAvail = nullptr;
    PfnClGetNumSerialPorts clGetNumSerialPorts = nullptr;
};

/// Binds the entries of a loaded library: 0, or -52 … -55 with every entry cleared.
int BindClserEntries(platform::DynamicLibrary& library, ClserEntries& entries);

/// A port name that contains "clser" in any case is the path of such a library.
bool IsClserLibraryName(const std::string& name);
