// Resource ids of Pelmora.dll.
#pragma once

#define IDR_IEBAR 102
#define IDR_TYPELIB 1
#define IDR_MANIFEST 2
