# Run by `cmake --install` (and by CPack): writes the desktop entry with the
# absolute path its program is installed to, which only the install step
# knows (`--prefix DIR`, CPack's /usr). So the handler works whatever PATH
# the browser that runs it has.
set(bindir "${TORVALE_BINDIR}")
if(NOT IS_ABSOLUTE "${bindir}")
    set(bindir "${CMAKE_INSTALL_PREFIX}/${bindir}")
endif()
set(TORVALE_EXEC "${bindir}/torvale-desktop")
# An Exec key would need quoting rules that xdg-open reads its own way.
if(TORVALE_EXEC MATCHES "[ \t\"'\\\\%]")
    message(FATAL_ERROR "The desktop entry cannot name ${TORVALE_EXEC}: install to a path "
                        "without blanks, quotes, backslashes or %")
endif()
configure_file("${TORVALE_SOURCE_DIR}/data/torvale.desktop.in"
               "${TORVALE_BINARY_DIR}/install/torvale.desktop" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${TORVALE_APPLICATIONS}" TYPE FILE
     FILES "${TORVALE_BINARY_DIR}/install/torvale.desktop")
