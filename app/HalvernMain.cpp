// The one application object; the program entry in the class library runs it.
#include "app/CHalvernApp.h"

CHalvernApp theApp;
