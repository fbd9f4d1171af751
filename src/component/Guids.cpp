// Defines the GUIDs that Pelmora_h.h declares.
#include <initguid.h>

#include "component/Guids.h"
