# The desktop files beside the executable, and the Debian package that CPack makes of them.
# One application id names the desktop entry, the icon and the metadata alike.
set(KAVALUN_APP_ID io.github.kavalun.OhybNaKavalun)
set(KAVALUN_DIST ${CMAKE_CURRENT_LIST_DIR})

install(FILES ${KAVALUN_DIST}/${KAVALUN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KAVALUN_DIST}/${KAVALUN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${KAVALUN_DIST}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kavalun RENAME copyright)
# The changelog and the manual pages, English and Czech, compressed as Debian keeps them.
set(KAVALUN_GZIPPED)
foreach(pair "changelog;changelog" "kavalun.1;kavalun.1" "kavalun.cs.1;cs/kavalun.1")
    list(GET pair 0 source)
    list(GET pair 1 target)
    set(gzipped ${CMAKE_CURRENT_BINARY_DIR}/dist/${target}.gz)
    get_filename_component(folder ${gzipped} DIRECTORY)
    add_custom_command(OUTPUT ${gzipped}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND gzip -9n -c ${KAVALUN_DIST}/${source} > ${gzipped}
        DEPENDS ${KAVALUN_DIST}/${source} VERBATIM)
    list(APPEND KAVALUN_GZIPPED ${gzipped})
endforeach()
# The teacher's guide as one page beside its pictures, to read without the web.
set(KAVALUN_GUIDE ${CMAKE_CURRENT_BINARY_DIR}/dist/navod.html)
add_custom_command(OUTPUT ${KAVALUN_GUIDE}
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/scripts/guide-html.py ${CMAKE_CURRENT_SOURCE_DIR}/docs/navod.md
        ${KAVALUN_GUIDE}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/scripts/guide-html.py ${CMAKE_CURRENT_SOURCE_DIR}/docs/navod.md
    VERBATIM)
add_custom_target(kavalun_docs DEPENDS ${KAVALUN_GZIPPED} ${KAVALUN_GUIDE})
add_dependencies(kavalun kavalun_docs)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/dist/changelog.gz DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kavalun)
install(FILES ${KAVALUN_GUIDE} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kavalun)
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/docs/navod DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kavalun)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/dist/kavalun.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/dist/cs/kavalun.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/cs/man1)
# The package needs only the executable built, not the tests and benchmarks.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kavalun)
set(CPACK_PACKAGE_VENDOR "Kavalun")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "diffraction of particles on a single slit, for teaching")
set(CPACK_PACKAGE_DESCRIPTION [[
Ohyb na Kavalun shows the diffraction of particles on a single slit. The
teacher enters the particle's mass, the slit width and either the number of
intensity maxima or the speed; the program computes the single-slit intensity
pattern, fires particles one at a time and grows a histogram of their hits on
the screen behind the slit. The interface is Czech.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Ohyb na Kavalun maintainers <maintainers@users.noreply.c-seed-b2ebd80f.example>")
# The shared libraries (Qt, libxlsxwriter for the workbook) come into Depends from the binary.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without Liberation Sans the window's labels run into their fields.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
# On a Wayland desktop without XWayland, Qt cannot show a window without its Wayland plugin.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
# Qt's dialogs, prompts and buttons in the user's language.
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", qt6-translations-l10n")
# dpkg-shlibdeps cannot look into the sysroot of a cross-build: package.sh works out the
# libraries' part of Depends from the sysroot's own packages and hands it over in this file.
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_NAME STREQUAL Linux AND CMAKE_SYSTEM_PROCESSOR STREQUAL aarch64)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
    set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/shlibs-depends.cmake)
endif()
# Debug symbols are no use to a teacher; the build leaves them in.
set(CPACK_STRIP_FILES ON)
include(CPack)
