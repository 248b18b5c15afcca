# Writes the desktop entry at install time, when the prefix is known (a
# `cmake --install --prefix` or CPack's packaging prefix can differ from the
# configured one): Exec= is the installed program, Path= the folder that holds
# its Pic/, since the program reads its pictures from its working folder.
# Set before this script runs: HALDEN_BINDIR and HALDEN_DATADIR (GNUInstallDirs,
# relative to the prefix or absolute), HALDEN_ENTRY_TEMPLATE, HALDEN_ENTRY.

foreach(dir BINDIR DATADIR)
  if(IS_ABSOLUTE "${HALDEN_${dir}}")
    set(full_${dir} "${HALDEN_${dir}}")
  else()
    set(full_${dir} "${CMAKE_INSTALL_PREFIX}/${HALDEN_${dir}}")
  endif()
endforeach()

# The desktop entry format would need quoting for these, and Path= cannot
# carry it at all.
foreach(path "${full_BINDIR}" "${full_DATADIR}")
  if(path MATCHES "[ \t\"'\\\\$`]")
    message(FATAL_ERROR "The desktop entry cannot name '${path}': choose an install prefix "
                        "without spaces, quotes, backslashes, dollars or backquotes")
  endif()
endforeach()

set(HALDEN_EXEC "${full_BINDIR}/halden")
set(HALDEN_PICTURE_DIR "${full_DATADIR}/halden")
configure_file("${HALDEN_ENTRY_TEMPLATE}" "${HALDEN_ENTRY}" @ONLY)
