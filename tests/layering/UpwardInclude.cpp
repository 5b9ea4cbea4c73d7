// Compiled with the include path of one layer's library and a header of a layer it must not see
// (UPWARD_HEADER): the build of this unit has to stop at the include (see CheckUpwardIncludes.cmake).
#include UPWARD_HEADER
