# Writes the desktop entry for the prefix being installed to (run by
# `cmake --install`). Exec's program is quoted as desktop entries want it, so
# that a prefix with a space or a quote in it still names one program: inside
# the quotes \ " ` $ take a backslash, and the key's value then doubles every
# backslash.
set(program "${CMAKE_INSTALL_PREFIX}/${QUARO_BINDIR}/quaro")
string(REPLACE "\\" "\\\\" program "${program}")
string(REGEX REPLACE "([\"`$])" "\\\\\\1" program "${program}")
string(REPLACE "\\" "\\\\" program "${program}")
set(QUARO_EXEC "\"${program}\"")
configure_file("${QUARO_DESKTOP_IN}" "${QUARO_DESKTOP_OUT}" @ONLY)
file(INSTALL "${QUARO_DESKTOP_OUT}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${QUARO_DATADIR}/applications")
