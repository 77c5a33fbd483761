#pragma once
// The registrar scripts each extension library carries as REGISTRY resources, by id.
#define IDR_APPID_SCRIPT 101
#define IDR_THUMBNAIL_SCRIPT 102
#define IDR_SHELLMENU_SCRIPT 103
#define IDR_PREVIEW_SCRIPT 104  // TyporamaVista only: the preview handler
