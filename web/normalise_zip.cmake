# Run by cpack after it made the web zip (CPACK_POST_BUILD_SCRIPTS): its entries sorted, and every
# time stamp the last commit's (SOURCE_DATE_EPOCH, packaging/reproducible.cmake) and every owner
# root, whatever order and owners the files had on the disk.
if(NOT CPACK_GAUGEPLOT_STRIP_NONDETERMINISM)
  message(FATAL_ERROR "strip-nondeterminism makes the web zip reproducible: apt-get install strip-nondeterminism")
endif()
execute_process(COMMAND ${CPACK_GAUGEPLOT_STRIP_NONDETERMINISM} --timestamp $ENV{SOURCE_DATE_EPOCH} ${CPACK_PACKAGE_FILES}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "strip-nondeterminism failed on ${CPACK_PACKAGE_FILES}")
endif()
