#pragma once

#include <cstdint>

namespace kivo::platform {

// The Win32 error numbers Kivo meets, as GetLastError, the registry functions
// and WSAGetLastError report them. Every interface and backend uses these
// names, so that a number is written down once; the Win32 backends pass the
// platform's own values through unchanged.
using Win32Error = std::uint32_t;

constexpr Win32Error kErrorFileNotFound = 2;              // ERROR_FILE_NOT_FOUND
constexpr Win32Error kErrorAccessDenied = 5;              // ERROR_ACCESS_DENIED
constexpr Win32Error kErrorInvalidHandle = 6;             // ERROR_INVALID_HANDLE
constexpr Win32Error kErrorInvalidData = 13;              // ERROR_INVALID_DATA
constexpr Win32Error kErrorHandleEof = 38;                // ERROR_HANDLE_EOF: an empty log
constexpr Win32Error kErrorInvalidParameter = 87;         // ERROR_INVALID_PARAMETER
constexpr Win32Error kErrorInsufficientBuffer = 122;      // ERROR_INSUFFICIENT_BUFFER
constexpr Win32Error kErrorMoreData = 234;                // ERROR_MORE_DATA
constexpr Win32Error kErrorNoMoreItems = 259;             // ERROR_NO_MORE_ITEMS
constexpr Win32Error kErrorKeyDeleted = 1018;             // ERROR_KEY_DELETED
constexpr Win32Error kErrorServiceAlreadyRunning = 1056;  // ERROR_SERVICE_ALREADY_RUNNING
constexpr Win32Error kErrorServiceDoesNotExist = 1060;    // ERROR_SERVICE_DOES_NOT_EXIST
constexpr Win32Error kErrorNotStartedByManager = 1063;    // ERROR_FAILED_SERVICE_CONTROLLER_CONNECT
constexpr Win32Error kErrorExceptionInService = 1064;     // ERROR_EXCEPTION_IN_SERVICE
constexpr Win32Error kErrorServiceMarkedForDelete = 1072;  // ERROR_SERVICE_MARKED_FOR_DELETE
constexpr Win32Error kErrorServiceExists = 1073;           // ERROR_SERVICE_EXISTS
constexpr Win32Error kErrorEventLogFileCorrupt = 1500;     // ERROR_EVENTLOG_FILE_CORRUPT
constexpr Win32Error kErrorEventLogFileChanged = 1503;     // ERROR_EVENTLOG_FILE_CHANGED: cleared

// Windows Sockets.
constexpr Win32Error kWsaInvalidArgument = 10022;        // WSAEINVAL
constexpr Win32Error kWsaMessageTooLong = 10040;         // WSAEMSGSIZE
constexpr Win32Error kWsaOperationNotSupported = 10045;  // WSAEOPNOTSUPP
constexpr Win32Error kWsaConnectionReset = 10054;        // WSAECONNRESET: an ICMP port unreachable
constexpr Win32Error kWsaTimedOut = 10060;               // WSAETIMEDOUT
constexpr Win32Error kWsaHostNotFound = 11001;           // WSAHOST_NOT_FOUND
constexpr Win32Error kWsaTryAgain = 11002;               // WSATRY_AGAIN
constexpr Win32Error kWsaNoRecovery = 11003;             // WSANO_RECOVERY
constexpr Win32Error kWsaNoData = 11004;                 // WSANO_DATA

}  // namespace kivo::platform
