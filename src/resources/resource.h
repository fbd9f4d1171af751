// Resource ids of Pelmora.dll.
#pragma once

#define IDR_IEBAR 102
#define IDR_TYPELIB 1
#define IDR_MANIFEST 2

// The template every generated script file is filled from (resource type "WSC_TEMPLATE").
#define IDR_WSC_TEMPLATE 209

#define IDS_FAILED_TO_SAVE_FILE 102
