# Runs at install time: makes the link among the user's commands and the
# desktop entry, both naming the prefix given to the install, and lists them
# in the install manifest so that uninstalling removes them too.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

set(link "${root}/bin/MirvexOggVorbisFrontend")
file(MAKE_DIRECTORY "${root}/bin")
file(REMOVE "${link}")
file(CREATE_LINK "../${MF_APP_FOLDER}/MirvexOggVorbisFrontend" "${link}" SYMBOLIC)
message(STATUS "Installing: ${link}")

# The Exec key names the link as the desktop entry standard asks: a percent
# sign doubled; the path in double quotes only when it holds one of the
# standard's reserved characters, with a backslash before a backslash, a
# double quote, a dollar sign and a backquote within them; then every
# backslash doubled, as in every string value. A plain path stays bare,
# because some of the desktop's tools take the first word of Exec, quotes
# and all, for the program.
set(MF_INSTALLED_LINK "${CMAKE_INSTALL_PREFIX}/bin/MirvexOggVorbisFrontend")
foreach(code RANGE 1 31)
    string(ASCII ${code} control)
    string(FIND "${MF_INSTALLED_LINK}" "${control}" at)
    if(NOT at EQUAL -1)
        message(FATAL_ERROR "A desktop entry cannot name ${MF_INSTALLED_LINK}: it holds a control character")
    endif()
endforeach()
string(REPLACE "%" "%%" MF_INSTALLED_LINK "${MF_INSTALLED_LINK}")
set(reserved FALSE)
foreach(character " " "\"" "'" "\\" ">" "<" "~" "|" "&" "$" "*" "?" "#" "`")
    string(FIND "${MF_INSTALLED_LINK}" "${character}" at)
    if(NOT at EQUAL -1)
        set(reserved TRUE)
    endif()
endforeach()
string(FIND "${MF_INSTALLED_LINK}" ";" at)
if(NOT at EQUAL -1)
    set(reserved TRUE)
endif()
if(reserved)
    foreach(special "\\" "\"" "$" "`")
        string(REPLACE "${special}" "\\${special}" MF_INSTALLED_LINK "${MF_INSTALLED_LINK}")
    endforeach()
    set(MF_INSTALLED_LINK "\"${MF_INSTALLED_LINK}\"")
endif()
string(REPLACE "\\" "\\\\" MF_INSTALLED_LINK "${MF_INSTALLED_LINK}")
set(entry "${root}/share/applications/${MF_DESKTOP_ID}.desktop")
configure_file("${MF_PACKAGING}/${MF_DESKTOP_ID}.desktop.in" "${entry}" @ONLY)
message(STATUS "Installing: ${entry}")

list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${link}" "${entry}")

# The desktop's caches of entries by file type, when installed in place.
if("$ENV{DESTDIR}" STREQUAL "")
    find_program(MF_UPDATE_DESKTOP update-desktop-database)
    if(MF_UPDATE_DESKTOP)
        execute_process(COMMAND "${MF_UPDATE_DESKTOP}" "${root}/share/applications"
                        RESULT_VARIABLE ignored OUTPUT_QUIET ERROR_QUIET)
    endif()
endif()
