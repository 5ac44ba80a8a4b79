// Resource and control identifiers, shared by the resource script and the code.
#pragma once

#define IDI_MAIN 128
#define IDD_MAIN 129

#define IDC_DEVICE_LIST 1001
#define IDC_APP_LIST 1002
#define IDC_DEVICE_FLUSH 1003
#define IDC_STATUS_TEXT 1004
#define IDC_WINDOW_FLUSH 1005
#define IDC_LINK 1006
#define IDC_DEVICE_EJECT 1007
