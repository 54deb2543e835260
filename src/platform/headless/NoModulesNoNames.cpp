// What the statically linked torvale calls in place of the C library's
// module loader and name resolver.
//
// libcrypto.a, linked in to verify signed links, brings along code for what
// this program never asks of it: the key functions call BIO_new, whose file
// keeps OpenSSL's sockets, which call gethostbyname and getaddrinfo; the
// fetching of an algorithm keeps the loader of provider modules, which calls
// dlopen. In a static program the C library's versions of these would load
// shared libraries of the very glibc release it was linked with at run
// time, and the linker warns of each call. This program loads no module
// (ES256 and SHA-256 are in libcrypto's built-in default provider) and
// resolves no name, so the link sends each of these calls (--wrap,
// CMakeLists.txt) to the function here named __wrap_ and its name, which
// fails at once, as the C library's does where nothing can be loaded or
// found: a provider module that an OpenSSL configuration names is not
// loaded, and OpenSSL, which records such a failure and goes on, verifies
// with its built-in provider.
// torvale-desktop, linked against the shared C library, loads its dialogs
// with the real dlopen: this file is only in the static torvale.

#include <dlfcn.h>
#include <netdb.h>

namespace {

char noModule[] = "torvale is linked statically and loads no module";
// What dlerror reports next: a failure once, then nothing, as dlerror does.
char* pendingError = nullptr;

}  // namespace

extern "C" {

void* __wrap_dlopen(const char*, int) {
    pendingError = noModule;
    return nullptr;
}

void* __wrap_dlsym(void*, const char*) {
    pendingError = noModule;
    return nullptr;
}

int __wrap_dlclose(void*) {
    pendingError = noModule;
    return -1;
}

char* __wrap_dlerror() {
    char* error = pendingError;
    pendingError = nullptr;
    return error;
}

int __wrap_dladdr(const void*, Dl_info*) {
    return 0;
}

int __wrap_getaddrinfo(const char*, const char*, const addrinfo*, addrinfo** result) {
    if (result != nullptr) *result = nullptr;
    return EAI_FAIL;
}

// __wrap_getaddrinfo gives no list to free.
void __wrap_freeaddrinfo(addrinfo*) {}

hostent* __wrap_gethostbyname(const char*) {
    h_errno = NO_RECOVERY;
    return nullptr;
}

}  // extern "C"
