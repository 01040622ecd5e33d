# Installation and the Debian package.
#
#   cmake --install <build>                       station, decoder, venue and mobile-licence tools, manual,
#                                                 man pages, icons, desktop entry, tmpfiles.d entry,
#                                                 copyright and changelog
#   cmake --install <build> --component provision the staff group, the folders and the settings hive (as root)
#   cpack --config <build>/CPackConfig.cmake      kestrin_<version>_<arch>.deb, whose postinst provisions
#
# The hive and the log folder are machine state, not package files: the postinst creates them when
# missing (through systemd-tmpfiles and provision-hive) and the postrm keeps them on remove (purge deletes
# the hive, never the logs).

set(KESTRIN_GROUP kestrin)
set(KESTRIN_HIVE_DIR /var/lib/kestrin)
set(KESTRIN_HIVE ${KESTRIN_HIVE_DIR}/registry.reg)
set(KESTRIN_LOG_FOLDER ${KESTRIN_HIVE_DIR}/logs)
set(KESTRIN_APP_SUBDIR ${CMAKE_INSTALL_DATADIR}/kestrin)
set(KESTRIN_PROVISION_SUBDIR ${CMAKE_INSTALL_LIBEXECDIR}/kestrin)
set(KESTRIN_DOC_SUBDIR ${CMAKE_INSTALL_DATADIR}/doc/kestrin)
# systemd-tmpfiles reads /usr/lib/tmpfiles.d and /usr/local/lib/tmpfiles.d, whatever the libraries' folder.
set(KESTRIN_TMPFILES_SUBDIR lib/tmpfiles.d)
set(KESTRIN_TMPFILES_NAME kestrin.conf)

if(TARGET kestrin)
    install(TARGETS kestrin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET kestrin-decode)
    install(TARGETS kestrin-decode RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET kestrin-venue)
    install(TARGETS kestrin-venue RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET kestrin-mdl)
    install(TARGETS kestrin-mdl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET kestrin_manual)
    install(FILES ${KESTRIN_HELP_PDF} DESTINATION ${KESTRIN_APP_SUBDIR})
endif()
if(TARGET kestrin_art)
    foreach(size 16 32 48)
        set(art ${KESTRIN_ART_DIR}/128-${size}.png)
        if(size EQUAL 32)
            set(art ${KESTRIN_ART_DIR}/128.png)
        endif()
        install(FILES ${art} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME kestrin.png)
    endforeach()
endif()

set(KESTRIN_EXEC kestrin)
configure_file(${CMAKE_CURRENT_LIST_DIR}/kestrin.desktop.in ${CMAKE_BINARY_DIR}/kestrin.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/kestrin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/provision-hive DESTINATION ${KESTRIN_PROVISION_SUBDIR})
install(FILES ${KESTRIN_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

configure_file(${CMAKE_CURRENT_LIST_DIR}/kestrin.tmpfiles.in ${CMAKE_BINARY_DIR}/${KESTRIN_TMPFILES_NAME} @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${KESTRIN_TMPFILES_NAME} DESTINATION ${KESTRIN_TMPFILES_SUBDIR})

# Debian keeps a package's copyright and its changelog (compressed, without a time stamp) beside each other.
set(changelog_gz ${CMAKE_BINARY_DIR}/debian/changelog.gz)
add_custom_command(
    OUTPUT ${changelog_gz}
    COMMAND ${CMAKE_COMMAND} -E copy ${KESTRIN_CHANGELOG} ${CMAKE_BINARY_DIR}/debian/changelog
    COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/debian/changelog
    DEPENDS ${KESTRIN_CHANGELOG}
    COMMENT "Compressing the changelog"
    VERBATIM)
add_custom_target(kestrin_changelog ALL DEPENDS ${changelog_gz})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${changelog_gz} DESTINATION ${KESTRIN_DOC_SUBDIR})

# `cmake --install --component provision`: what the package's postinst does, for an installation from
# source. Left out of a plain install and of the package (it changes the machine, not the install tree).
install(CODE "
    set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
    set(args --hive ${KESTRIN_HIVE} --log-folder ${KESTRIN_LOG_FOLDER} --app-folder \"\${prefix}/${KESTRIN_APP_SUBDIR}\")
    execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT \"\$ENV{DESTDIR}\" STREQUAL \"\")
        list(APPEND args --root \"\$ENV{DESTDIR}\")
    elseif(uid STREQUAL \"0\")
        execute_process(COMMAND groupadd --system --force ${KESTRIN_GROUP} COMMAND_ERROR_IS_FATAL ANY)
        list(APPEND args --group ${KESTRIN_GROUP})
        set(tmpfiles \"\${prefix}/${KESTRIN_TMPFILES_SUBDIR}/${KESTRIN_TMPFILES_NAME}\")
    endif()
    execute_process(COMMAND \"\$ENV{DESTDIR}\${prefix}/${KESTRIN_PROVISION_SUBDIR}/provision-hive\" \${args}
                    COMMAND_ERROR_IS_FATAL ANY)
    # As the package does: the folders and the lock become the group's, and stay so at every boot.
    find_program(systemd_tmpfiles systemd-tmpfiles)
    if(tmpfiles AND systemd_tmpfiles)
        execute_process(COMMAND \${systemd_tmpfiles} --create \${tmpfiles} COMMAND_ERROR_IS_FATAL ANY)
    endif()
" COMPONENT provision EXCLUDE_FROM_ALL)

# The Debian package.
set(KESTRIN_PACKAGE_PREFIX /usr)
set(KESTRIN_APP_FOLDER ${KESTRIN_PACKAGE_PREFIX}/${KESTRIN_APP_SUBDIR})
set(KESTRIN_PROVISION ${KESTRIN_PACKAGE_PREFIX}/${KESTRIN_PROVISION_SUBDIR}/provision-hive)
set(debian_dir ${CMAKE_BINARY_DIR}/debian)
foreach(script postinst postrm)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/${script}.in ${debian_dir}/${script} @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orbelon")
set(CPACK_PACKAGE_CONTACT "Orbelon Kestrin team <kestrin@orbelon.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Age-verification station for driver's licence readers")
# dpkg shows the long description as it is written: lines within lintian's 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "Kestrin reads a driver's licence through a magnetic-stripe reader or a 2D
barcode scanner in keyboard mode and shows the holder's age in green or red,
the expiry, a running total and the last results. It can log one CSV row per
card and lock an X11 desktop to the station. It also reads a phone's mobile
driver's licence (ISO/IEC 18013-5) and checks its issuer's signature.
kestrin-decode decodes scans on the command line for integrations,
kestrin-mdl verifies recorded mobile-licence sessions and fills the trust
folder, and kestrin-venue manages the venue's scan record and its banned,
flagged and VIP lists.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${KESTRIN_PACKAGE_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the libraries: the desktop's openers for Help and the links, the fonts the dialogs are drawn
# with, groupadd and systemd-tmpfiles for the postinst.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, fonts-dejavu-core, fonts-liberation, passwd, systemd | systemd-tmpfiles")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine, openbox")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${debian_dir}/postinst;${debian_dir}/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The package is the default installation; the provision component belongs to source installs.
set(CPACK_COMPONENTS_ALL Unspecified)
set(CPACK_STRIP_FILES ON)
include(CPack)
