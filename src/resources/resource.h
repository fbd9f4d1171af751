// Resource ids of Pelmora.dll.
#pragma once

#define IDR_IEBAR 102
#define IDR_TYPELIB 1
#define IDR_MANIFEST 2

// Icons: 32 x 32, 16 colours, drawn by tools/make_icons.py.
#define IDI_SCRIPT 202
#define IDI_WINDOW 206
#define IDI_FOLDER_OPEN 207
#define IDI_FOLDER_CLOSED 208
#define IDI_CHECK_FOLDER_MARKED 210
#define IDI_CHECK_FOLDER_CLEAR 211
#define IDI_BLANK 212
#define IDI_CHECK_CHECKED 213
#define IDI_CHECK_UNCHECKED 214
#define IDI_GLOBE 216
#define IDI_FOLDER_UP 223
#define IDI_ARROW_UP 225

// The template every generated script file is filled from (resource type "WSC_TEMPLATE").
#define IDR_WSC_TEMPLATE 209

#define IDS_FAILED_TO_SAVE_FILE 102
