// Where dialog templates, icons and strings come from: the program's own module.
#pragma once

#include <windows.h>

HINSTANCE GetResourceModule();
