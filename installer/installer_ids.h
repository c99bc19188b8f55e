// Resource and control ids of the installer dialog (shared by the resource
// script and the code).
#pragma once

#define IDD_INSTALLER 100

#define IDC_INSTALLED_AT 1001
#define IDC_INSTALLED_PATH 1002
#define IDC_PROGRAMS_LINK 1003
#define IDC_DESKTOP_LINK 1004
#define IDC_RUN_NOW 1005
#define IDC_FINISH 1006
#define IDC_PICTURE 1007
