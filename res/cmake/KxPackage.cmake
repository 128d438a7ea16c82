# The Debian package, built by CPack's DEB generator (scripts/package runs it on a
# Release build configured with CMAKE_INSTALL_PREFIX=/usr). Laid out as Debian
# Policy asks: documentation in /usr/share/doc/kx4200 with a machine-readable
# copyright and a gzipped changelog, manual pages gzipped, the example monitor
# configuration a conffile, dependencies computed by dpkg-shlibdeps.
include_guard(GLOBAL)
include(GNUInstallDirs)

set(_kx_doc ${CMAKE_INSTALL_DATADIR}/doc/kx4200)
set(_kx_pkg ${CMAKE_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${_kx_pkg})

install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/res/package/copyright DESTINATION ${_kx_doc})
install(FILES ${CMAKE_SOURCE_DIR}/res/package/monitor-example.conf DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/kx4200)

# A native package's changelog: one entry for this version, without a date that
# changes from build to build (the commit's time, or a fixed one outside git).
set(_kx_changelog_date "Tue, 01 Dec 2026 00:00:00 +0000")
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${CMAKE_SOURCE_DIR} log -1 --format=%aD
                  OUTPUT_VARIABLE _kx_commit_date OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE _kx_git)
  if(_kx_git EQUAL 0 AND _kx_commit_date)
    set(_kx_changelog_date "${_kx_commit_date}")
  endif()
endif()
set(KX_PACKAGE_MAINTAINER "KX4200 developers <kx4200@example.org>")
file(WRITE ${_kx_pkg}/changelog
  "kx4200 (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
  "  * Release ${PROJECT_VERSION}.\n\n"
  " -- ${KX_PACKAGE_MAINTAINER}  ${_kx_changelog_date}\n")
find_program(KX_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${_kx_pkg}/changelog.gz
  COMMAND ${KX_GZIP} -9nkf changelog
  WORKING_DIRECTORY ${_kx_pkg}
  DEPENDS ${_kx_pkg}/changelog
  VERBATIM)
add_custom_target(kx_changelog ALL DEPENDS ${_kx_pkg}/changelog.gz)
install(FILES ${_kx_pkg}/changelog.gz DESTINATION ${_kx_doc})

file(WRITE ${_kx_pkg}/conffiles "${CMAKE_INSTALL_FULL_SYSCONFDIR}/kx4200/monitor-example.conf\n")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kx4200)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KX4200 developers")
set(CPACK_PACKAGE_CONTACT "${KX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # kx4200_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the libraries: the Song-style CJK font the panel's texts are drawn in, and
# Qt's platform plugins (the panel's window, the command line's offscreen painting).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-arphic-uming, fonts-dejavu-core, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mosquitto-clients")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/kx4200")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${_kx_pkg}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service and test tool for the KX4200 battery monitoring unit")
# The synopsis is the summary above; these are the lines below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The KX4200 unit watches a battery string: up to 40 cell voltages, the
string's voltage and current, temperatures and alarms. This package holds
the technicians' tools for it, over a serial port or a serial server.
.
kx4200 is the control panel: live values, clock, curve groups, alarms,
calibration and a PDF test report. kx4200-cli does every operation from
the command line, with CSV, PNG and PDF export, a discharge analysis and
an unattended monitor for many units (daily CSV files, MQTT with Home
Assistant discovery, Prometheus metrics) that runs as the systemd service
kx4200-monitor@. kx4200-sim is a simulated unit on a pseudo-terminal for
trying them out.")
include(CPack)
