/* crypt.h for the wheels' builds: the glibc 2.17 headers of Zig's toolchain
 * lack it (glibc no longer ships it; libxcrypt does), but Python.h of
 * CPython 3.8 to 3.10 includes it, for the crypt module alone. tarvel calls
 * none of it: the one declaration is there so that Python.h reads as it
 * does on the machines that build those interpreters. The wrappers pass
 * this folder with -idirafter, behind every folder of the toolchain's. */
#ifndef TARVEL_WHEEL_CRYPT_H
#define TARVEL_WHEEL_CRYPT_H
#ifdef __cplusplus
extern "C" {
#endif
char* crypt(const char* phrase, const char* setting);
#ifdef __cplusplus
}
#endif
#endif
