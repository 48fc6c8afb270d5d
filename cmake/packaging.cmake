# What a pilot gets, built by CPack: from a Windows build a zip of one folder holding both
# programs, a read-me and the licence; from a Linux build a Debian package installed under /usr.

set(CIRROWISP_MAINTAINER "The Cirrowisp developers <cirrowisp@users.noreply.example>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")
set(CIRROWISP_DEB_RELEASE 1 CACHE STRING "Debian revision of the package")

set(CPACK_PACKAGE_NAME Cirrowisp)
set(CPACK_PACKAGE_VENDOR "The Cirrowisp developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "contrail generator for flight simulator aircraft")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Cirrowisp walks the aircraft folders of a flight simulator and, for the\n"
    "engine types you pick, adds a contrail effect line and a contrail\n"
    "temperature line to every aircraft.cfg, or takes the contrail away again.\n"
    "The first untouched version of every changed file is kept beside it.\n"
    "\n"
    "The package holds the dialog (cirrowisp) and the command line\n"
    "(cirrowisp-cli).")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)
set(package_dir "${PROJECT_BINARY_DIR}/package")

if(WIN32)
    # Plain text with Windows line ends, for Notepad; the licence under a name Windows opens.
    configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in" "${package_dir}/README.txt"
                   @ONLY NEWLINE_STYLE CRLF)
    configure_file("${PROJECT_SOURCE_DIR}/LICENSE" "${package_dir}/LICENSE.txt" @ONLY NEWLINE_STYLE CRLF)
    install(FILES "${package_dir}/README.txt" "${package_dir}/LICENSE.txt" DESTINATION .)

    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME "Cirrowisp-${PROJECT_VERSION}-win64")
    # One folder of that name inside the zip, so unzipping never scatters files.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
    find_program(GZIP_EXECUTABLE gzip REQUIRED)
    set(doc_dir share/doc/cirrowisp)

    # Manual pages carry the version, and Debian wants them compressed without a time stamp.
    set(man_pages "${package_dir}/cirrowisp-cli.1")
    include(core_constants)
    configure_file("${PROJECT_SOURCE_DIR}/cli/cirrowisp-cli.1.in" "${package_dir}/cirrowisp-cli.1" @ONLY)
    if(CIRROWISP_QT)
        configure_file("${PROJECT_SOURCE_DIR}/ui/qt/cirrowisp.1.in" "${package_dir}/cirrowisp.1" @ONLY)
        list(APPEND man_pages "${package_dir}/cirrowisp.1")
    endif()

    # The licence in Debian's machine-readable copyright format: the licence text below the
    # copyright line, each line indented by one space and empty lines written as " .".
    file(STRINGS "${PROJECT_SOURCE_DIR}/LICENSE" license_lines)
    set(CIRROWISP_EXPAT_TEXT "")
    set(in_text OFF)
    foreach(line IN LISTS license_lines)
        if(line MATCHES "^Permission is hereby granted")
            set(in_text ON)
        endif()
        if(in_text)
            if(line STREQUAL "")
                string(APPEND CIRROWISP_EXPAT_TEXT " .\n")
            else()
                string(APPEND CIRROWISP_EXPAT_TEXT " ${line}\n")
            endif()
        endif()
    endforeach()
    string(STRIP "${CIRROWISP_EXPAT_TEXT}" CIRROWISP_EXPAT_TEXT)
    set(CIRROWISP_EXPAT_TEXT " ${CIRROWISP_EXPAT_TEXT}")
    configure_file("${PROJECT_SOURCE_DIR}/packaging/debian/copyright.in" "${package_dir}/copyright" @ONLY)

    set(CIRROWISP_DEB_VERSION "${PROJECT_VERSION}-${CIRROWISP_DEB_RELEASE}")
    configure_file("${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in" "${package_dir}/changelog.Debian" @ONLY)

    set(compressed "")
    foreach(file IN LISTS man_pages ITEMS "${package_dir}/changelog.Debian")
        add_custom_command(OUTPUT "${file}.gz"
            COMMAND "${GZIP_EXECUTABLE}" -9 -n -f -k "${file}"
            DEPENDS "${file}"
            VERBATIM)
        list(APPEND compressed "${file}.gz")
    endforeach()
    add_custom_target(cirrowisp_package_files ALL DEPENDS ${compressed})

    list(TRANSFORM man_pages APPEND .gz)
    install(FILES ${man_pages} DESTINATION share/man/man1)
    install(FILES "${package_dir}/copyright" "${package_dir}/changelog.Debian.gz" DESTINATION ${doc_dir})

    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    # One name per content: a build without the dialog (the release preset) packs the command
    # line alone, under a name of its own, so it never passes for the full package of the same
    # version. Both hold cirrowisp-cli, so either replaces the other.
    if(CIRROWISP_QT)
        set(CPACK_DEBIAN_PACKAGE_NAME cirrowisp)
        set(other_package cirrowisp-cli)
    else()
        set(CPACK_DEBIAN_PACKAGE_NAME cirrowisp-cli)
        set(other_package cirrowisp)
        string(REPLACE "The package holds the dialog (cirrowisp) and the command line\n(cirrowisp-cli)."
               "The package holds the command line (cirrowisp-cli) alone; the package\ncirrowisp adds the dialog."
               CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
    endif()
    set(CPACK_DEBIAN_PACKAGE_CONFLICTS ${other_package})
    set(CPACK_DEBIAN_PACKAGE_REPLACES ${other_package})
    set(CPACK_DEBIAN_PACKAGE_RELEASE "${CIRROWISP_DEB_RELEASE}")
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # cirrowisp_<version>-<release>_<arch>.deb
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CIRROWISP_MAINTAINER}")
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    # The libraries the binaries link, with their versions, found by dpkg-shlibdeps.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

include(CPack)
