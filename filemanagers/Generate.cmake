# Writes one file manager's menu file from its template (cmake -P, or included at install
# time): the archive types are the desktop entry's MimeType, so the menus follow that one list.
# Input variables: TEMPLATE, OUTPUT, DESKTOP_ENTRY, EXPAND_EACH (the helper's absolute path).
file(STRINGS "${DESKTOP_ENTRY}" mime_line REGEX "^MimeType=")
# file(STRINGS) escapes the line's semicolons; the menus want them as they are.
string(REGEX REPLACE "^MimeType=" "" QUENDLE_MIME_TYPES "${mime_line}")
string(REPLACE "\\;" ";" QUENDLE_MIME_TYPES "${QUENDLE_MIME_TYPES}")
if(NOT QUENDLE_MIME_TYPES MATCHES "^[A-Za-z0-9.+/_-]+(;[A-Za-z0-9.+/_-]+)*;?$")
  message(FATAL_ERROR "${DESKTOP_ENTRY}: no MimeType list to give the file managers: \"${QUENDLE_MIME_TYPES}\"")
endif()
# The path goes unquoted into command lines that the file managers split at spaces.
if(NOT EXPAND_EACH MATCHES "^/[A-Za-z0-9/._+-]+$")
  message(FATAL_ERROR "The file managers' menus cannot name the helper at \"${EXPAND_EACH}\": the install prefix needs quoting")
endif()
set(QUENDLE_EXPAND_EACH "${EXPAND_EACH}")
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
