# Read by cpack before it packs: every time stamp in the package is the last commit's, unless
# SOURCE_DATE_EPOCH already names one, so one commit always gives the same package bytes.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} AND CPACK_GAUGEPLOT_GIT)
  execute_process(COMMAND ${CPACK_GAUGEPLOT_GIT} -C ${CPACK_GAUGEPLOT_SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  if(failed EQUAL 0 AND epoch MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} ${epoch})
  endif()
endif()
