# SPDX-License-Identifier: GPL-3.0-or-later
# Run by `cmake --install`: writes the desktop entry with the installed
# program's full path in its Exec line and installs it.
set(TALLYFOLD_EXEC "${CMAKE_INSTALL_PREFIX}/${TALLYFOLD_GAMESDIR}/tallyfold")
if(IS_ABSOLUTE "${TALLYFOLD_GAMESDIR}")
  set(TALLYFOLD_EXEC "${TALLYFOLD_GAMESDIR}/tallyfold")
endif()
# A path with anything but plain characters is quoted as the desktop entry
# rules ask: inside the quotes a backslash, double quote, backquote or dollar
# takes a backslash, and the file's own string escaping then doubles every
# backslash; a percent sign is doubled so it is not read as a field code.
if(TALLYFOLD_EXEC MATCHES "[^A-Za-z0-9/._+-]")
  set(bs "\\")
  string(REPLACE "${bs}" "${bs}${bs}${bs}${bs}" TALLYFOLD_EXEC "${TALLYFOLD_EXEC}")
  foreach(special "\"" "`" "$")
    string(REPLACE "${special}" "${bs}${bs}${special}" TALLYFOLD_EXEC "${TALLYFOLD_EXEC}")
  endforeach()
  string(REPLACE "%" "%%" TALLYFOLD_EXEC "${TALLYFOLD_EXEC}")
  set(TALLYFOLD_EXEC "\"${TALLYFOLD_EXEC}\"")
endif()
configure_file("${TALLYFOLD_DESKTOP_TEMPLATE}" "${TALLYFOLD_DESKTOP_FILE}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${TALLYFOLD_APPLICATIONS_DIR}" TYPE FILE
     FILES "${TALLYFOLD_DESKTOP_FILE}")
