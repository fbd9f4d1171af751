#pragma once
// Resource ids of the script component runtime.
#define IDR_SCRIPT_RUNTIME_REGISTRATION 101
