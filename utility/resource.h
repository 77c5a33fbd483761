#pragma once
// String table of TRUtility.dll.
#define IDS_DEFAULT_DEFINE_NAME 101
