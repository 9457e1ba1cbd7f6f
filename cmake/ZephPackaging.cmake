# Install rules and the Debian package.
#
# Every program finds its companions beside its own executable (/proc/self/exe): ZephBurn runs
# the ZephBurnCL next to it, the engine and flashsim read detect.bin, chiplist.txt and the
# phase-2 programs next to them. So all programs and the flash support files go to one program
# folder (ZEPH_INSTALL_PROGRAMDIR, /usr/lib/zeph in the package), and the bin folder holds
# relative symbolic links to them: the kernel resolves a link to the real file, so the program
# folder is the same whichever name started the program, and the links still hold when the
# package is unpacked somewhere else. zephmon is started by a small script that gives each user
# a settings file of their own, since the program folder belongs to root.

include(GNUInstallDirs)

set(ZEPH_INSTALL_PROGRAMDIR "lib/zeph" CACHE STRING
    "Folder under the prefix that holds the programs and the flash support files")

set(ZEPH_INSTALLED_PROGRAMS
    zephmon ZephBurnCL ZephBurn Trekdash zephsim flashsim zephctl zephdecode zephcapture)
# Programs with a window, each with a desktop entry and an icon.
set(ZEPH_WINDOW_PROGRAMS zephmon ZephBurn Trekdash)

file(RELATIVE_PATH ZEPH_PROGRAM_FROM_BIN
    "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${ZEPH_INSTALL_PROGRAMDIR}")

set(links_folder ${CMAKE_BINARY_DIR}/packaging/bin)
file(MAKE_DIRECTORY ${links_folder})
foreach(program IN LISTS ZEPH_INSTALLED_PROGRAMS)
    if(NOT TARGET ${program})
        continue()
    endif()
    install(TARGETS ${program} RUNTIME DESTINATION ${ZEPH_INSTALL_PROGRAMDIR})
    if(program STREQUAL "zephmon")
        configure_file(${CMAKE_SOURCE_DIR}/packaging/zephmon.in ${links_folder}/zephmon @ONLY
            FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                             WORLD_READ WORLD_EXECUTE)
    else()
        file(CREATE_LINK ${ZEPH_PROGRAM_FROM_BIN}/${program} ${links_folder}/${program} SYMBOLIC)
    endif()
    # install(PROGRAMS) keeps a link a link.
    install(PROGRAMS ${links_folder}/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

install(FILES
    ${CMAKE_SOURCE_DIR}/flash/target/support/chiplist.txt
    ${CMAKE_SOURCE_DIR}/flash/target/support/detect.bin
    ${CMAKE_SOURCE_DIR}/flash/target/support/generic.bin
    DESTINATION ${ZEPH_INSTALL_PROGRAMDIR})

# zephmon without Qt has no window, so only the window build installs the desktop entries.
if(ZEPH_GUI)
    foreach(program IN LISTS ZEPH_WINDOW_PROGRAMS)
        install(FILES ${CMAKE_SOURCE_DIR}/packaging/${program}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
        install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/${program}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
        foreach(size 48 256)
            install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/${program}-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME ${program}.png)
        endforeach()
    endforeach()
endif()

install(FILES ${CMAKE_SOURCE_DIR}/packaging/README.Debian ${CMAKE_SOURCE_DIR}/README.md
    DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zeph)
set(CPACK_PACKAGE_VERSION ${ZEPH_SUITE_VERSION})
set(CPACK_PACKAGE_CONTACT
    "Zeph tool suite maintainers <maintainers@users.noreply.c-seed-1b1c517d.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "GPS receiver monitor, flash programmer and NMEA dashboard")
# One line of the package's long description a line here, as apt shows it.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Tools for lab and field engineers who work on GPS receivers over a serial"
    "line: zephmon monitors and controls a receiver (with a window, or headless"
    "for logging), ZephBurnCL and ZephBurn program and read the flash behind the"
    "receiver's baseband chip, and Trekdash shows a receiver's NMEA output."
    "zephctl, zephdecode and zephcapture serve scripts, and the simulators"
    "zephsim and flashsim stand in for a receiver and a flash target.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs link (Qt among them) become the package's dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
