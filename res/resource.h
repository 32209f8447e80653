// Resource identifiers shared by the resource script and the code.
#ifndef HALVERN_RES_RESOURCE_H
#define HALVERN_RES_RESOURCE_H

// Shell: about box, main dialog, system-menu entry.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_HALVERN_DIALOG 102
#define IDM_ABOUTBOX 0x0010  // command of the about entry in the system menu

// Page dialogs: the five main tabs and the three per-process tabs.
#define IDD_PAGE0 107     // processes
#define IDD_PAGE1 108     // kernel modules
#define IDD_PAGE2 109     // system information
#define IDD_TABPAGE0 110  // modules of one process
#define IDD_TABPAGE1 111  // threads of one process
#define IDD_TABPAGE2 112  // handles of one process
#define IDD_PAGE3 113     // kernel objects
#define IDD_PAGE4 114     // debug output

// Icons: the application, then one per kind of kernel object.
#define IDR_MAINFRAME 128
#define IDI_DIRECTORY 129
#define IDI_DIRECTORY_OPEN 130
#define IDI_DEVICE 131
#define IDI_DRIVER 132
#define IDI_EVENT 133
#define IDI_KEY 134
#define IDI_MUTANT 135
#define IDI_PORT 136
#define IDI_PROFILE 137
#define IDI_SECTION 138
#define IDI_SEMAPHORE 139
#define IDI_SYMBOLIC_LINK 140
#define IDI_TIMER 141
#define IDI_OTHER_TYPE 142
#define IDI_WINDOW_STATION 143

// Controls.
#define IDC_TAB 1000
#define IDC_LIST 1001
#define IDC_FRAME 1002
#define IDC_GROUP_OS 1003
#define IDC_GROUP_CPU 1004
#define IDC_EDIT_CPU 1006
#define IDC_EDIT_OS 1007
#define IDC_TREE 1008

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif  // HALVERN_RES_RESOURCE_H
