// The program's own module holds every resource the framework loads.
#include "framework/Module.h"

HINSTANCE GetResourceModule() { return ::GetModuleHandleW(nullptr); }
