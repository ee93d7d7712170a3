// <windows.h> included the one safe way: lean, without min/max macros, and with the macros that
// would rename our declarations (MessageBox) undone. Include our own headers before this one.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef MessageBox
