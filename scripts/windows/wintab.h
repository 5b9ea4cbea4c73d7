/* The Wintab interface for Qt's Windows tablet support, from Wine's declaration of it (package
 * libwine-dev, copied beside this file as wine-wintab.h by build-qt.sh). Wine's header uses two
 * macros of Wine's own Windows headers and names the calling convention WINAPI where Qt's code
 * writes API; they are given here for MinGW's Windows headers. */
#ifndef TOLV_WINTAB_H
#define TOLV_WINTAB_H
#include <windows.h>
#ifndef WINELIB_NAME_AW
# ifdef UNICODE
#  define WINELIB_NAME_AW(name) name##W
# else
#  define WINELIB_NAME_AW(name) name##A
# endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
# define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
#ifndef API
# define API WINAPI
#endif
#include "wine-wintab.h"
#endif
