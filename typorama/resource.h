#pragma once
// Resource ids of Typorama.dll. A language resource library carries the same string ids.
#include "extension_common/script_resources.h"

#define IDS_PROJNAME 100
#define IDS_MENU_INSTALL 101
#define IDS_MENU_UNINSTALL 102
#define IDS_MENU_OUTPUT_PICTURE 103
#define IDS_HELP_INSTALL 104
#define IDS_HELP_UNINSTALL 105
#define IDS_HELP_OUTPUT_PICTURE 106
#define IDS_INSTALLED 107
#define IDS_INFORMATION_CAPTION 108
#define IDS_NOT_INSTALLED 109
#define IDS_NAME_TAKEN 110
#define IDS_REFUSED 111
