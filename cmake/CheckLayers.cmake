# Fails the build when a file outside kit/display includes a Qt header other
# than one of Qt Core's, or when the application includes Qt at all. Only
# kit/display may draw; the rest of the kit may use a Qt Core class where it
# is the right tool, and the task bar entry alone speaks D-Bus through Qt
# D-Bus; the application is written against the kit alone.
# The rest of the kit reaches a display only through its seam
# (kit/interface/DisplaySeam.h), never through a header of kit/display, and
# kit/app, below the interface layer, includes none of its headers. The
# application uses the kit's public API alone: no header from a kit's
# private/ folder and nothing of the namespace kit_private.
#
# Run as: cmake -DSOURCE_DIR=<project> -DQT_CORE_DIR=<QtCore headers> -DSTAMP=<file> -P CheckLayers.cmake

file(GLOB_RECURSE kit_files ${SOURCE_DIR}/kit/*.h ${SOURCE_DIR}/kit/*.cpp)
list(FILTER kit_files EXCLUDE REGEX "/kit/display/")
file(GLOB_RECURSE app_files ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)

set(dbus_file ${SOURCE_DIR}/kit/app/TaskBarEntry.cpp)

set(faults "")
foreach(source ${kit_files} ${app_files})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Qt[A-Za-z]*/)?Q[A-Za-z]+")
    foreach(line ${includes})
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*$" "\\1" header "${line}")
        if(source MATCHES "^${SOURCE_DIR}/src/")
            list(APPEND faults "${source}: the application includes Qt (${header})")
        elseif(source STREQUAL dbus_file AND header MATCHES "^(QtDBus/)?QDBus[A-Za-z]+$")
            continue()
        elseif(NOT header MATCHES "^(QtCore/)?Q[A-Za-z]+$")
            list(APPEND faults "${source}: ${header} is not a Qt Core header")
        else()
            string(REGEX REPLACE "^QtCore/" "" name "${header}")
            if(NOT EXISTS "${QT_CORE_DIR}/${name}")
                list(APPEND faults "${source}: ${header} is not a Qt Core header")
            endif()
        endif()
    endforeach()
endforeach()

# Adds a fault for every line of the files that matches the expression.
function(forbid files expression what)
    foreach(source ${files})
        file(STRINGS ${source} lines REGEX "${expression}")
        foreach(line ${lines})
            list(APPEND faults "${source}: ${what} (${line})")
        endforeach()
    endforeach()
    set(faults ${faults} PARENT_SCOPE)
endfunction()

forbid("${kit_files}" "^[ \t]*#[ \t]*include[ \t]*[<\"]kit/display/"
       "the kit reaches past its display seam")
# The application layer is the kit's lowest: what it hands to the display or
# the windows goes through hooks that the interface layer registers with it.
file(GLOB_RECURSE app_layer_files ${SOURCE_DIR}/kit/app/*.h ${SOURCE_DIR}/kit/app/*.cpp)
forbid("${app_layer_files}" "^[ \t]*#[ \t]*include[ \t]*[<\"]kit/interface/"
       "the application layer reaches up to the interface layer")
forbid("${app_files}" "^[ \t]*#[ \t]*include[ \t]*[<\"]kit/.*/private/"
       "the application includes a kit's private header")
forbid("${app_files}" "kit_private" "the application names kit_private")

if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "The layers are crossed:\n  ${text}")
endif()
file(TOUCH ${STAMP})
