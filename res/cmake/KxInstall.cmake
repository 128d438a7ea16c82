# Install layout shared by the executables and the artwork. Include it from any folder:
#
#   include(${CMAKE_SOURCE_DIR}/res/cmake/KxInstall.cmake)
#   kx_install_program(kx4200)
#
# KX_INSTALL_PICTURE_DIR  where Picture/*.ICO go, relative to the prefix
#                         (share/kx4200/Picture); the widgets look there as well.
# kx_install_program(<target>...)  installs executables into bin/.
include_guard(GLOBAL)
include(GNUInstallDirs)

set(KX_INSTALL_PICTURE_DIR ${CMAKE_INSTALL_DATADIR}/kx4200/Picture)

function(kx_install_program)
  install(TARGETS ${ARGN} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
