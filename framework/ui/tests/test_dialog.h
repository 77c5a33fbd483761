#pragma once
#define IDD_TEST 100
#define IDC_PRESS 1001
#define IDC_LIST 1002
#define IDC_OWN 1003
#define IDC_EDIT 1004
