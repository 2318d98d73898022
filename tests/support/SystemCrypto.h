#pragma once

// The system's cryptography of this build: BCrypt in the Windows build
// (under Wine), OpenSSL's libcrypto natively. Link kivo_platform_system.

#ifdef _WIN32
#include "platform/win32/Win32Crypto.h"
#else
#include "platform/posix/PosixCrypto.h"
#endif

namespace kivo::testing {
#ifdef _WIN32
using SystemCrypto = platform::Win32Crypto;
constexpr char kSystemCryptoName[] = "BCrypt";
// CNG has no SHA-224 provider, on Windows as under Wine.
constexpr bool kSystemCryptoHasSha224 = false;
#else
using SystemCrypto = platform::PosixCrypto;
constexpr char kSystemCryptoName[] = "Libcrypto";
constexpr bool kSystemCryptoHasSha224 = true;
#endif
}  // namespace kivo::testing
