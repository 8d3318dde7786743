/* Wine's wintab.h (copied beside this file as wine-wintab.h), with the names it takes from Wine's
   own headers, which mingw-w64 does not have. */
#ifndef TRAMINO_WINTAB_H
#define TRAMINO_WINTAB_H
#define WINELIB_NAME_AW(name) name##W
#define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#ifndef API
#define API WINAPI
#endif
#include "wine-wintab.h"
#endif
