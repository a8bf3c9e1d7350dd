# Runs at install time: makes the link among the user's commands and the
# desktop entry, both naming the prefix given to the install, and lists them
# in the install manifest so that uninstalling removes them too.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

set(link "${root}/bin/MirvexOggVorbisFrontend")
file(MAKE_DIRECTORY "${root}/bin")
file(REMOVE "${link}")
file(CREATE_LINK "../${MF_APP_FOLDER}/MirvexOggVorbisFrontend" "${link}" SYMBOLIC)
message(STATUS "Installing: ${link}")

# The Exec key takes the path in double quotes, in which a backslash, a
# double quote, a dollar sign and a backquote need a backslash before them.
set(MF_INSTALLED_LINK "${CMAKE_INSTALL_PREFIX}/bin/MirvexOggVorbisFrontend")
foreach(special "\\" "\"" "$" "`")
    string(REPLACE "${special}" "\\${special}" MF_INSTALLED_LINK "${MF_INSTALLED_LINK}")
endforeach()
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
