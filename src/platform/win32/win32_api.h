// The one way this folder includes <windows.h>. Our own headers come first, so that the
// Windows macros cannot rename their declarations (SW_SHOWNORMAL, MessageBox).
#pragma once

#include "platform/platform.h"
#include "platform/win32/windows_include.h"
