#pragma once
// String table of TRUtility.dll.
#define IDS_DEFAULT_DEFINE_NAME 101
#define IDS_BACKUP_QUESTION 104
#define IDS_BACKUP_CAPTION 105
#define IDS_BACKUP_BROWSE_TITLE 106
// A font that could not be uninstalled: the message names it and the reason.
#define IDS_REMOVAL_FAILED 107
#define IDS_REMOVAL_CAPTION 108
#define IDS_REASON_DECLINED 109
#define IDS_REASON_NOT_STARTED 110
#define IDS_REASON_BACKUP 111
#define IDS_REASON_LIST_ENTRY 112
#define IDS_REASON_FILE 113
#define IDS_REASON_ERROR_CODE 114
#define IDS_REASON_WINDOWS_FONT 115
#define IDS_REASON_OUTSIDE_FONTS 116
#define IDS_REASON_NOT_LISTED 117
#define IDS_REMOVALS_FAILED 118
// The question before administrator rights are asked for: the fonts that go, one line each.
#define IDS_ELEVATION_QUESTION 119
#define IDS_ELEVATION_FONT 120
#define IDS_ELEVATION_MORE 121
