# cmake -DSOURCE_DIR=... -DVERSION=1.3.0 -DOUT=.../KxVersionText.h -P VersionText.cmake
# Writes the version text; the file is touched only when the text changes, so an
# unchanged checkout rebuilds nothing.
set(text "${VERSION}")
find_package(Git QUIET)
if(GIT_FOUND)
  # The commit alone (no tag is matched): the project's version is CMake's.
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} describe --always --dirty --abbrev=7 --match=kx-no-tag
                  OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE status)
  if(status EQUAL 0 AND commit MATCHES "^[0-9a-f]+(-dirty)?$")
    set(text "${VERSION} (g${commit})")
  endif()
endif()
set(content "#define KX_VERSION_TEXT \"${text}\"\n")
if(EXISTS ${OUT})
  file(READ ${OUT} old)
endif()
if(NOT old STREQUAL content)
  file(WRITE ${OUT} "${content}")
endif()
