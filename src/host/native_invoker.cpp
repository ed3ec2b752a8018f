#include "host/native_invoker.h"

HookFunctions gHook;
