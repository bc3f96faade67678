# Installs drosk into a throwaway prefix and runs the installed program: it must be complete
# without the build tree. Run with -DBUILD_DIR=... -DPREFIX=... -DMAN_PAGE=drosk.1.gz (or drosk.1)
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${installed}")
endif()
foreach(file bin/drosk share/man/man1/${MAN_PAGE} share/doc/drosk/LICENSE)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
execute_process(COMMAND "${PREFIX}/bin/drosk" RESULT_VARIABLE status ERROR_VARIABLE message
                WORKING_DIRECTORY "${PREFIX}")
if(NOT status EQUAL 1 OR NOT message STREQUAL "javac commandline not found")
  message(FATAL_ERROR "installed drosk answered ${status}: '${message}'")
endif()
file(REMOVE_RECURSE "${PREFIX}")
