// Resource and control ids, shared by Cirrowisp.rc and the dialog code.
#ifndef CIRROWISP_RES_RESOURCE_H
#define CIRROWISP_RES_RESOURCE_H

#define IDM_ABOUTBOX 0x0010
#define IDM_RESTORE 0x0020
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_GENERATOR_DIALOG 102
#define IDS_RESTORE 103
#define IDS_SIMULATOR 104
// The system menu's simulator items: IDM_SIMULATOR + 16 * item (system command ids keep their
// low four bits free).
#define IDM_SIMULATOR 0x0100
#define IDM_SIMULATOR_LIMIT 0x0F00
#define IDR_MAINFRAME 128

#define IDC_START 1000
#define IDC_PISTON 1001
#define IDC_JET 1002
#define IDC_NONE 1003
#define IDC_HELO_TURBINE 1004
#define IDC_ROCKET 1005
#define IDC_TURBOPROP 1006
#define IDC_TEMPERATURE 1007
#define IDC_SIMULATOR_PATH 1008
#define IDC_FLYABLE 1009
#define IDC_EFFECT_NAME 1010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
