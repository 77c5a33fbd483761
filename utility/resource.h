#pragma once
// String table of TRUtility.dll.
#define IDS_DEFAULT_DEFINE_NAME 101
#define IDS_BACKUP_QUESTION 104
#define IDS_BACKUP_CAPTION 105
#define IDS_BACKUP_BROWSE_TITLE 106
