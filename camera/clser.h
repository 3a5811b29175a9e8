// The serial interface of a Camera Link frame grabber: the nine C entries a Camera Link serial
// library exports, the baud-rate bits of its rate set and the error codes the link relies on.
// Written from the entry list the link uses; a library is loaded at run time and each entry is
// looked up by name, so only the pointer types are needed by the caller. Counts and rate sets
// are 32-bit unsigned, port references are opaque pointers.
#pragma once

#include <cstdint>

extern "C" {

typedef void* ClSerialRef;

typedef std::int32_t (*PfnClSerialInit)(std::uint32_t serialIndex, ClSerialRef* serialRef);
/// count in: bytes wanted (or to send); out: bytes delivered (sent). Time-out in ms.
typedef std::int32_t (*PfnClSerialRead)(ClSerialRef serialRef, char* buffer, std::uint32_t* count,
                                         std::uint32_t timeoutMs);
typedef std::int32_t (*PfnClSerialWrite)(ClSerialRef serialRef, char* buffer, std::uint32_t* count,
                                          std::uint32_t timeoutMs);
typedef void (*PfnClSerialClose)(ClSerialRef serialRef);
typedef std::int32_t (*PfnClGetSupportedBaudRates)(ClSerialRef serialRef, std::uint32_t* rateSet);
/// `rateBit` is one bit of the rate set.
typedef std::int32_t (*PfnClSetBaudRate)(ClSerialRef serialRef, std::uint32_t rateBit);
typedef std::int32_t (*PfnClGetNumBytesAvail)(ClSerialRef serialRef, std::uint32_t* count);
typedef std::int32_t (*PfnClFlushPort)(ClSerialRef serialRef);
typedef std::int32_t (*PfnClGetNumSerialPorts)(std::uint32_t* count);

}  // extern "C"

namespace clser {

/// Entry names, exactly as a library exports them.
inline constexpr const char* kSerialInit = "clSerialInit";
inline constexpr const char* kSerialRead = "clSerialRead";
inline constexpr const char* kSerialWrite = "clSerialWrite";
inline constexpr const char* kSerialClose = "clSerialClose";
inline constexpr const char* kGetSupportedBaudRates = "clGetSupportedBaudRates";
inline constexpr const char* kSetBaudRate = "clSetBaudRate";
inline constexpr const char* kGetNumBytesAvail = "clGetNumBytesAvail";
inline constexpr const char* kFlushPort = "clFlushPort";
inline constexpr const char* kGetNumSerialPorts = "clGetNumSerialPorts";

/// Library results.
inline constexpr std::int32_t kNoError = 0;
inline constexpr std::int32_t kErrBufferTooSmall = -10001;
inline constexpr std::int32_t kErrManufacturerUnknown = -10002;
inline constexpr std::int32_t kErrPortInUse = -10003;
inline constexpr std::int32_t kErrTimeout = -10004;
inline constexpr std::int32_t kErrInvalidIndex = -10005;
inline constexpr std::int32_t kErrInvalidReference = -10006;
inline constexpr std::int32_t kErrErrorNotFound = -10007;
inline constexpr std::int32_t kErrBaudRateNotSupported = -10008;
inline constexpr std::int32_t kErrOutOfMemory = -10009;

/// Bits of a rate set.
inline constexpr std::uint32_t kBaud9600 = 1;
inline constexpr std::uint32_t kBaud19200 = 2;
inline constexpr std::uint32_t kBaud38400 = 4;
inline constexpr std::uint32_t kBaud57600 = 8;
inline constexpr std::uint32_t kBaud115200 = 16;
inline constexpr std::uint32_t kAllBaudRates = 0x1F;

/// The bit of a rate, or 0 when the rate has none.
constexpr std::uint32_t BaudRateBit(int rate)
{
    switch (rate) {
    case 9600: return kBaud9600;
    case 19200: return kBaud19200;
    case 38400: return kBaud38400;
    case 57600: return kBaud57600;
    case 115200: return kBaud115200;
    default: return 0;
    }
}

/// The rate of a single bit, or 0.
constexpr int BaudRateOfBit(std::uint32_t bit)
{
    switch (bit) {
    case kBaud9600: return 9600;
    case kBaud19200: return 19200;
    case kBaud38400: return 38400;
    case kBaud57600: return 57600;
    case kBaud115200: return 115200;
    default: return 0;
    }
}

}  // namespace clser
