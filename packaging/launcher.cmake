# Run at install time: writes the launcher with the final paths of the data directory and the program
# (the install prefix, never the DESTDIR it is staged under) and installs it to the binary directory.
# Expects GRIMVALE_SOURCE_DIR, GRIMVALE_BINARY_DIR and the directories GRIMVALE_BINDIR, GRIMVALE_DATADIR
# and GRIMVALE_PROGRAMDIR, each relative to the prefix or absolute.

function(grimvale_full_path out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

# Single quotes keep the shell from reading anything in a path; a quote inside one is closed and escaped.
function(grimvale_shell_quote out text)
  string(REPLACE "'" "'\\''" text "${text}")
  set(${out} "'${text}'" PARENT_SCOPE)
endfunction()

grimvale_full_path(binDir "${GRIMVALE_BINDIR}")
grimvale_full_path(dataDir "${GRIMVALE_DATADIR}")
grimvale_full_path(programDir "${GRIMVALE_PROGRAMDIR}")
grimvale_shell_quote(GRIMVALE_DATA_DIR "${dataDir}")
grimvale_shell_quote(GRIMVALE_PROGRAM "${programDir}/grimvale")

# One staging file per prefix, so that installs to different prefixes never share it.
string(SHA1 prefixKey "${CMAKE_INSTALL_PREFIX}")
set(staged "${GRIMVALE_BINARY_DIR}/launcher/${prefixKey}/grimvale")
configure_file("${GRIMVALE_SOURCE_DIR}/packaging/grimvale.in" "${staged}" @ONLY)
file(INSTALL DESTINATION "${binDir}" TYPE PROGRAM FILES "${staged}")
