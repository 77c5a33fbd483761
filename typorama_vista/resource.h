#pragma once
// Resource ids of TyporamaVista.dll. A language resource library carries the same string ids.
#include "extension_common/script_resources.h"

#define IDS_PROJNAME 100
#define IDS_MENU_UNINSTALL 101
#define IDS_MENU_UPDATE_THUMBNAIL 102
#define IDS_MENU_OUTPUT_PICTURE 103
#define IDS_HELP_UPDATE_THUMBNAIL 104
#define IDS_HELP_OUTPUT_PICTURE 105
#define IDS_HELP_UNINSTALL 106
