#pragma once

#include "core/ports/SignatureVerifier.h"

namespace torvale {

// The system's own verifier of signed links: OpenSSL's libcrypto on Linux
// (OpensslVerifier.cpp), Security.framework on macOS (SecurityVerifier.cpp),
// CNG on Windows (CngVerifier.cpp).
SignatureVerifier& SystemVerifier();

}  // namespace torvale
