# Run by `cmake --install`: registers the installed program with the desktop
# of the installing user. Writes foliokeeper.desktop into
# $XDG_DATA_HOME/applications ($XDG_DATA_HOME defaults to ~/.local/share);
# its Exec is the installed executable's absolute path and its Icon the
# icon installed beside it, also by absolute path: an icon theme folder of
# the user's own without an index and cache would slow every other
# program's icon look-up. Expects FOLIO_SOURCE_DIR.

if(DEFINED ENV{DESTDIR} AND NOT "$ENV{DESTDIR}" STREQUAL "")
  message(STATUS "DESTDIR is set: not registering with the current user's desktop")
  return()
endif()

set(data_home "$ENV{XDG_DATA_HOME}")
if(NOT data_home OR NOT IS_ABSOLUTE "${data_home}")
  if(NOT DEFINED ENV{HOME} OR "$ENV{HOME}" STREQUAL "")
    message(WARNING "Neither XDG_DATA_HOME nor HOME is set: no desktop entry written")
    return()
  endif()
  set(data_home "$ENV{HOME}/.local/share")
endif()

get_filename_component(program "${CMAKE_INSTALL_PREFIX}/foliokeeper" ABSOLUTE)

# Exec follows the desktop entry rules: a path holding a reserved character
# is quoted, with " ` $ and \ escaped inside the quotes, and every backslash
# doubled once more because the value is a string; % becomes %%.
set(exec "${program}")
if(exec MATCHES "[] \t\"'\\\\><~|&;$*?#()`[]")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "\"" "\\\"" exec "${exec}")
  string(REPLACE "`" "\\`" exec "${exec}")
  string(REPLACE "$" "\\$" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
set(FOLIO_DESKTOP_EXEC "${exec}")
string(REPLACE "\\" "\\\\" FOLIO_DESKTOP_TRYEXEC "${program}")
get_filename_component(icon "${CMAKE_INSTALL_PREFIX}/foliokeeper.svg" ABSOLUTE)
string(REPLACE "\\" "\\\\" FOLIO_DESKTOP_ICON "${icon}")

set(entry "${data_home}/applications/foliokeeper.desktop")
message(STATUS "Installing: ${entry}")
configure_file("${FOLIO_SOURCE_DIR}/resources/foliokeeper.desktop.in" "${entry}" @ONLY)
