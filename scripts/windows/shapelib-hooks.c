/* The default file hooks of shapelib's DBF API (SASetupDefaultHooks) on the C library's stdio,
 * for the DBF sources taken from GDAL's copy of shapelib, which gets these hooks from GDAL's own
 * virtual file layer instead. Built into libshp.a by build-deps.sh. */
#include "shapefil.h"

#include <stdio.h>
#include <stdlib.h>

static SAFile hookOpen(const char *name, const char *access) { return (SAFile)fopen(name, access); }
static SAOffset hookRead(void *p, SAOffset size, SAOffset n, SAFile f) { return fread(p, size, n, (FILE *)f); }
static SAOffset hookWrite(void *p, SAOffset size, SAOffset n, SAFile f) { return fwrite(p, size, n, (FILE *)f); }
static SAOffset hookSeek(SAFile f, SAOffset offset, int whence) { return (SAOffset)fseek((FILE *)f, (long)offset, whence); }
static SAOffset hookTell(SAFile f) { return (SAOffset)ftell((FILE *)f); }
static int hookFlush(SAFile f) { return fflush((FILE *)f); }
static int hookClose(SAFile f) { return fclose((FILE *)f); }
static int hookRemove(const char *name) { return remove(name); }
static void hookError(const char *message) { fprintf(stderr, "%s\n", message); }
static double hookAtof(const char *text) { return atof(text); }

void SASetupDefaultHooks(SAHooks *h)
{
    h->FOpen = hookOpen;
    h->FRead = hookRead;
    h->FWrite = hookWrite;
    h->FSeek = hookSeek;
    h->FTell = hookTell;
    h->FFlush = hookFlush;
    h->FClose = hookClose;
    h->Remove = hookRemove;
    h->Error = hookError;
    h->Atof = hookAtof;
}
