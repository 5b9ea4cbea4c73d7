# Builds each probe of the table (a layer and a header from a layer above or beside it, compiled with
# that layer's include path) and passes when every build fails because the header is not found.
# Arguments: -DBUILD_DIR=... -DSOURCE_DIR=... -DPROBES=layer:header,...
set(failures "")
string(REPLACE "," ";" PROBES "${PROBES}")
foreach(probe ${PROBES})
  string(REPLACE ":" ";" probe "${probe}")
  list(GET probe 0 layer)
  list(GET probe 1 header)
  # A header that no longer exists would be "not found" for the wrong reason.
  if(NOT EXISTS ${SOURCE_DIR}/src/${header})
    string(APPEND failures "${layer}: src/${header} does not exist; the probe needs an existing header\n")
    continue()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target upward_include_${layer}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  string(REGEX REPLACE "([.+])" "\\\\\\1" header_pattern "${header}")
  if(result EQUAL 0)
    string(APPEND failures "${layer}: including ${header} compiled\n")
  elseif(NOT output MATCHES "'?${header_pattern}'?:? (No such file or directory|file not found)")
    string(APPEND failures "${layer}: including ${header} failed for another reason:\n${output}\n")
  else()
    message(STATUS "${layer} cannot include ${header}")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
