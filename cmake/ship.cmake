# What the user gets: brenk.exe with its version resource, and one ZIP with
# the stripped programs (the window and the console's brenkrun), a ready Brenk.ini (English), both settings samples and
# the user guide. `scripts/package` builds brenk.exe and then the ZIP; packing
# alone does not build anything (see below).
if(WIN32 AND TARGET brenk)
    target_link_libraries(brenk PRIVATE brenk_version)

    # Packing needs the two programs only, not every test program of the tree.
    set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

    install(TARGETS brenk brenkrun RUNTIME DESTINATION .)
    install(FILES resources/Brenk.ini.en DESTINATION . RENAME Brenk.ini)
    install(FILES resources/Brenk.ini.en resources/Brenk.ini.de docs/user-guide.md
            DESTINATION .)

    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_NAME Brenk)
    set(CPACK_PACKAGE_VENDOR "The Brenk project")
    set(CPACK_PACKAGE_VERSION 0.1b)
    set(CPACK_PACKAGE_FILE_NAME Brenk-0.1b-win64)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
    set(CPACK_STRIP_FILES ON)
    set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
    include(CPack)
endif()
