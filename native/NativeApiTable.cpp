#include "native/NativeApi.h"
NativeApiTable g_NativeApi;
