// The one way this folder includes <windows.h>. Our own headers come first, so that the
// Windows macros cannot rename their declarations (SW_SHOWNORMAL, MessageBox).
#pragma once

#include "platform/platform.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef MessageBox
