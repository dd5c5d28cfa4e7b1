# Installation and the Debian package.
#
# The bundle folder is installed whole under VELLOQ_INSTALL_DIR (an absolute folder, so the
# program's paths do not depend on the prefix): the program finds its resources and the
# login-item helper from its own executable's real path, and the helper finds the program the
# same way. Around it go what the desktop needs, under the prefix: a command in PATH (a
# symbolic link to the bundle's executable), a .desktop file named after the application id,
# the icons in the hicolor theme and the AppStream metainfo.
#
#   cmake --build <dir> --target velloq_app velloq_helper velloq_desktop_files
#   cmake --install <dir>                    # or: cpack --config <dir>/CPackConfig.cmake
include(GNUInstallDirs)

set(VELLOQ_INSTALL_DIR "/opt/velloq-parlor" CACHE PATH "Absolute folder the application bundle is installed in")
set(VELLOQ_COMMAND_NAME "velloq-parlor" CACHE STRING "Name of the command installed in PATH")
set(VELLOQ_PACKAGE_NAME "velloq-parlor")
set(VELLOQ_PACKAGE_HOMEPAGE "https://www.velloq.app/" CACHE STRING "Product homepage, ending with /")
set(VELLOQ_PACKAGE_MAINTAINER "Velloq Parlor maintainers <parlor@velloq.app>" CACHE STRING
    "Maintainer named in the Debian package")
string(TIMESTAMP _velloq_today "%Y-%m-%d" UTC)
set(VELLOQ_RELEASE_DATE "${_velloq_today}" CACHE STRING "Date of this release (YYYY-MM-DD) in the AppStream metainfo")

if(NOT IS_ABSOLUTE "${VELLOQ_INSTALL_DIR}")
  message(FATAL_ERROR "VELLOQ_INSTALL_DIR must be an absolute folder, not '${VELLOQ_INSTALL_DIR}'")
endif()

set(_velloq_installed_bundle "${VELLOQ_INSTALL_DIR}/${VELLOQ_APP_NAME}.app")
set(_velloq_installed_helper_bundle
    "${_velloq_installed_bundle}/Contents/Library/LoginItems/${VELLOQ_HELPER_NAME}.app")
set(VELLOQ_INSTALLED_EXECUTABLE "${_velloq_installed_bundle}/Contents/MacOS/${VELLOQ_APP_NAME}")

# --- Files for the desktop, made in the build folder -------------------------------------------

set(_velloq_desktop_dir "${PROJECT_BINARY_DIR}/desktop")
set(_velloq_desktop_file "${_velloq_desktop_dir}/${VELLOQ_APP_ID}.desktop")
set(_velloq_metainfo_file "${_velloq_desktop_dir}/${VELLOQ_APP_ID}.metainfo.xml")

# Exec names the bundle's executable, not the command in PATH, so the entry works whatever
# PATH the session has. The path holds spaces: it is quoted, and the characters that keep a
# backslash inside quotes are escaped (the second escaping is the key file's own).
string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" _velloq_exec "${VELLOQ_INSTALLED_EXECUTABLE}")
string(REPLACE "\\" "\\\\" _velloq_exec "${_velloq_exec}")
string(REPLACE "%" "%%" _velloq_exec "${_velloq_exec}")
set(VELLOQ_DESKTOP_EXEC "\"${_velloq_exec}\"")
configure_file("${VELLOQ_RESOURCES_DIR}/velloq-parlor.desktop.in" "${_velloq_desktop_file}" @ONLY)

_velloq_xml_escape(VELLOQ_METAINFO_NAME "${VELLOQ_APP_NAME}")
_velloq_xml_escape(VELLOQ_METAINFO_HOMEPAGE "${VELLOQ_PACKAGE_HOMEPAGE}")
_velloq_xml_escape(VELLOQ_METAINFO_VERSION "${VELLOQ_VERSION}")
_velloq_xml_escape(VELLOQ_METAINFO_COMMAND "${VELLOQ_COMMAND_NAME}")
configure_file("${VELLOQ_RESOURCES_DIR}/velloq-parlor.metainfo.xml.in" "${_velloq_metainfo_file}" @ONLY)

# The theme's fixed sizes are rendered from the one SVG; the SVG itself is the scalable size.
set(_velloq_icon_svg "${VELLOQ_RESOURCES_DIR}/icons/app.velloq.Parlor.svg")
set(_velloq_icon_sizes 16 24 32 48 64 128 256 512)
find_program(VELLOQ_RSVG_CONVERT rsvg-convert REQUIRED)
set(_velloq_icon_pngs "")
foreach(size IN LISTS _velloq_icon_sizes)
  set(png "${_velloq_desktop_dir}/icons/${size}x${size}/${VELLOQ_APP_ID}.png")
  add_custom_command(OUTPUT "${png}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${_velloq_desktop_dir}/icons/${size}x${size}"
    COMMAND "${VELLOQ_RSVG_CONVERT}" --format=png --width=${size} --height=${size}
            --keep-aspect-ratio --output "${png}" "${_velloq_icon_svg}"
    DEPENDS "${_velloq_icon_svg}"
    COMMENT "Rendering the ${size}x${size} application icon"
    VERBATIM)
  list(APPEND _velloq_icon_pngs "${png}")
endforeach()
# The Debian documentation: the changelog names this version, and it and the manual page are
# compressed without a name or time stamp (gzip -n), as Debian packages carry them.
set(_velloq_package_dir "${VELLOQ_RESOURCES_DIR}/package")
set(VELLOQ_DEBIAN_VERSION "${VELLOQ_VERSION}-${VELLOQ_BUILD_NUMBER}")
string(TIMESTAMP VELLOQ_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file("${_velloq_package_dir}/changelog.in" "${_velloq_desktop_dir}/doc/changelog.Debian" @ONLY)
find_program(VELLOQ_GZIP gzip REQUIRED)
set(_velloq_changelog_gz "${_velloq_desktop_dir}/doc/changelog.Debian.gz")
set(_velloq_manual_gz "${_velloq_desktop_dir}/doc/${VELLOQ_COMMAND_NAME}.1.gz")
add_custom_command(OUTPUT "${_velloq_changelog_gz}" "${_velloq_manual_gz}"
  COMMAND "${VELLOQ_GZIP}" -9nkf "${_velloq_desktop_dir}/doc/changelog.Debian"
  COMMAND "${CMAKE_COMMAND}" -E copy "${_velloq_package_dir}/velloq-parlor.1"
          "${_velloq_desktop_dir}/doc/${VELLOQ_COMMAND_NAME}.1"
  COMMAND "${VELLOQ_GZIP}" -9nkf "${_velloq_desktop_dir}/doc/${VELLOQ_COMMAND_NAME}.1"
  DEPENDS "${_velloq_desktop_dir}/doc/changelog.Debian" "${_velloq_package_dir}/velloq-parlor.1"
  COMMENT "Compressing the changelog and the manual page"
  VERBATIM)
add_custom_target(velloq_desktop_files ALL DEPENDS ${_velloq_icon_pngs} "${_velloq_changelog_gz}"
  "${_velloq_manual_gz}")

# --- Install rules ------------------------------------------------------------------------------

# The build folder's bundle holds the Info.plists and resources; the two programs are installed
# as targets instead, so installation may strip them.
install(DIRECTORY "${VELLOQ_BUNDLE_DIR}/" DESTINATION "${_velloq_installed_bundle}"
  PATTERN "MacOS" EXCLUDE)
install(TARGETS velloq_app RUNTIME DESTINATION "${_velloq_installed_bundle}/Contents/MacOS")
install(TARGETS velloq_helper RUNTIME DESTINATION "${_velloq_installed_helper_bundle}/Contents/MacOS")

# install(FILES) cannot make a symbolic link; recorded in the manifest so an uninstall finds it.
install(CODE "
  set(_link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${VELLOQ_COMMAND_NAME}\")
  get_filename_component(_link_dir \"\${_link}\" DIRECTORY)
  file(MAKE_DIRECTORY \"\${_link_dir}\")
  message(STATUS \"Installing: \${_link} -> ${VELLOQ_INSTALLED_EXECUTABLE}\")
  file(CREATE_LINK \"${VELLOQ_INSTALLED_EXECUTABLE}\" \"\${_link}\" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${_link}\")
")

install(FILES "${_velloq_desktop_file}" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${_velloq_metainfo_file}" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${_velloq_icon_svg}"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps" RENAME "${VELLOQ_APP_ID}.svg")
foreach(size IN LISTS _velloq_icon_sizes)
  install(FILES "${_velloq_desktop_dir}/icons/${size}x${size}/${VELLOQ_APP_ID}.png"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
endforeach()

set(_velloq_doc_dir "${CMAKE_INSTALL_DATADIR}/doc/${VELLOQ_PACKAGE_NAME}")
install(FILES "${_velloq_package_dir}/copyright" "${_velloq_changelog_gz}" DESTINATION "${_velloq_doc_dir}")
install(FILES "${_velloq_manual_gz}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${_velloq_package_dir}/lintian-overrides" DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides"
  RENAME "${VELLOQ_PACKAGE_NAME}")

# --- Debian package -----------------------------------------------------------------------------

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "${VELLOQ_PACKAGE_NAME}")
set(CPACK_PACKAGE_VENDOR "Velloq")
set(CPACK_PACKAGE_VERSION "${VELLOQ_VERSION}")
set(CPACK_PACKAGE_CONTACT "${VELLOQ_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Enterprise instant messaging desktop client")
# Lines of the extended description stay under 80 columns, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION "${VELLOQ_APP_NAME} shows the organisation's messaging web application in a
desktop window and adds desktop notifications with sound, a launcher badge,
a downloads manager, start at login and a choice of interface language
(Traditional Chinese, Simplified Chinese, English). An enterprise code or a
signed setting code tells it which organisation's servers to use.")
# The bundle goes to an absolute folder: DESTDIR staging keeps every file inside the package.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX "/usr")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE "${VELLOQ_BUILD_NUMBER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "net")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELLOQ_PACKAGE_HOMEPAGE}")
# The linked libraries come from dpkg-shlibdeps; the sound is played by GStreamer plugins
# (playbin in base, the WAV parser and the automatic audio sink in good), which nothing links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
# The interface and the hosted pages are largely Chinese; the pages are spell-checked in English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, hunspell-en-us")
include(CPack)
