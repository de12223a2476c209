// Identifiers of the program's resources, shared by the .rc and the code.
#pragma once

#define IDD_PARAMETERS 101

#define IDC_CENTER_X 1000
#define IDC_CENTER_Y 1001
#define IDC_RADIUS 1002
#define IDC_ITERATIONS 1003
#define IDC_OK 1004
#define IDC_CANCEL 1005
#define IDC_SHOW_TIME 1006
#define IDC_PALETTE_LIST 1007
#define IDC_FIGURE_LIST 1008
