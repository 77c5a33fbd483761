#pragma once
// Resource ids of Stubmaker.exe.
#define IDR_MAINFRAME 128
#define IDD_STUBMAKER_DIALOG 102
#define IDC_PROGRESS 1000
#define IDC_MESSAGE 1001
// Stage texts: stage n (1..5) shows IDS_STAGE_FIRST + n - 1.
#define IDS_STAGE_FIRST 129
#define IDS_STAGE_FONT_LIST 129
#define IDS_STAGE_STUB_LIST 130
#define IDS_STAGE_STUB_TARGETS 131
#define IDS_STAGE_WRITING 132
#define IDS_STAGE_DELETING 133
