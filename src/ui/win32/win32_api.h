// The one way this folder includes <windows.h>. Our own headers come first, and the macros that
// would rename our declarations (MessageBox) are undone afterwards.
#pragma once

#include "ui/application.h"
#include "ui/controls.h"
#include "platform/win32/windows_include.h"
