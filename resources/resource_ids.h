// Resource ids of the program, numbered in blocks.
#ifndef TAMBLORN_RESOURCE_IDS_H
#define TAMBLORN_RESOURCE_IDS_H

// Icons and bitmaps: 100..199.
#define IDI_SAVER_CLASS 100  // asked for by the window class; deliberately absent
#define IDB_LOGS 103
#define IDI_TAMBLORN 104

// Strings: 1000..1099.
#define IDS_SETTINGS_FILE 1001
#define IDS_DISPLAY_NAME 1007
#define IDS_SAVE_FAILED 1008
#define IDS_TEXT_NOT_STORABLE 1009

// Dialogs: 2000..2099; their controls: 1000..1099 (a control id never
// names a resource, so it may share a number with a string).
#define IDD_CONFIGURE 2003
#define IDC_TEXT 1001
#define IDC_FONT_SIZE 1002
#define IDC_LOOP 1005
#define IDC_FIRE_TEXT 1020
#define IDC_FIRE_BONFIRE 1021
#define IDC_FLAME_LOW 1030
#define IDC_FLAME_MEDIUM 1031
#define IDC_FLAME_HIGH 1032

#endif
