// The one way this folder includes <windows.h>. Our own headers come first, and the macros that
// would rename our declarations (MessageBox) are undone afterwards.
#pragma once

#include "ui/application.h"
#include "ui/controls.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef MessageBox
