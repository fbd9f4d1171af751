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

// The configuration form: a child dialog that fills the band window, and its controls.
#define IDD_CONFIGWSC2 104
#define IDC_TREE_URL_WSC 208
#define IDC_TREE_IE_WSC 209
#define IDC_BUTTON_NEW_IE_WSC 211
#define IDC_BUTTON_DEL_IE_WSC 212
#define IDC_BUTTON_DEL_URL_WSC 213
#define IDC_BUTTON_NEW_URL_WSC 217
#define IDC_BUTTON_HELP 218
#define IDC_BUTTON_ABOUT 219
#define IDC_STATIC_URL_WSC_OWNER 221
#define IDC_LIST_ATTACHED_WSC 222

// The hover text of a form control is the string whose id is the control's id; that of
// IDC_BUTTON_NEW_URL_WSC is its default text, shown while no URL has been collected.

// The About box.
#define IDD_ABOUTBOX 217
#define IDC_STATIC_ABOUT_TEXT 220
// The About text up to the version number, which comes from the version resource.
#define IDS_ABOUT_TEXT 103

// The Add URL scripts dialog. Ids are per template: 213 is also the form's Delete
// button of URL scripts.
#define IDD_CREATE_WSCRIPT 215
#define IDC_TREE_ADD_URL 213
#define IDC_COMBO_SCRIPT_KIND 214

// The help page (an RT_HTML resource, shown through "res://<module path>/219").
#define IDR_HELP_PAGE 219

// The Save Script As dialog, in which the New command names a browser main script.
#define IDD_SAVE_SCRIPT_AS 222
#define IDC_COMBO_SAVE_IN 223
#define IDC_COMBO_FILE_NAME 226
#define IDC_BUTTON_NEW_FOLDER 228
#define IDC_LIST_FOLDER_ENTRIES 230
