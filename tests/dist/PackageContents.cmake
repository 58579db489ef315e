cmake_minimum_required(VERSION 3.21)
# Builds the Debian package with CPack as a maintainer would and checks what apt will see: the
# files it installs and the packages it pulls in.
# Run with -DBUILD=<build folder> -DOUT=<scratch folder> -DCPACK=<cpack> -DAPP_ID=<id>
# -DVERSION=<project version>.
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${CPACK}" -G DEB --config "${BUILD}/CPackConfig.cmake" -B "${OUT}"
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cpack failed (${status}):\n${output}")
endif()

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch
    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(package "${OUT}/morvane_${VERSION}_${arch}.deb")
if(NOT EXISTS "${package}")
    message(FATAL_ERROR "no ${package}; cpack said:\n${output}")
endif()

# Exactly these files, the programs executable, everything owned by root.
execute_process(COMMAND dpkg-deb -c "${package}" OUTPUT_VARIABLE listing
    COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[^\n]+" entries "${listing}")
set(files)
foreach(entry ${entries})
    if(NOT entry MATCHES "^([-d][-rwx]+) root/root +[0-9]+ [-0-9]+ [:0-9]+ \\./(.*)$")
        message(FATAL_ERROR "unexpected entry: ${entry}")
    endif()
    set(mode ${CMAKE_MATCH_1})
    set(path ${CMAKE_MATCH_2})
    if(mode MATCHES "^-")
        list(APPEND files "${path}")
        if(path MATCHES "^usr/bin/" AND NOT mode STREQUAL "-rwxr-xr-x")
            message(FATAL_ERROR "${path} has mode ${mode}")
        endif()
    endif()
endforeach()
set(expected
    usr/bin/morvane
    usr/bin/morvane-cli
    usr/share/applications/${APP_ID}.desktop
    usr/share/icons/hicolor/scalable/apps/${APP_ID}.svg
    usr/share/metainfo/${APP_ID}.metainfo.xml)
list(SORT files)
list(SORT expected)
if(NOT files STREQUAL expected)
    message(FATAL_ERROR "the package holds:\n${listing}")
endif()

function(control_field name result)
    execute_process(COMMAND dpkg-deb -f "${package}" ${name} OUTPUT_VARIABLE value
        OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    set(${result} "${value}" PARENT_SCOPE)
endfunction()

control_field(Package name)
control_field(Version version)
control_field(Section section)
control_field(Maintainer maintainer)
control_field(Description description)
if(NOT name STREQUAL "morvane" OR NOT version STREQUAL VERSION OR NOT section STREQUAL "graphics"
        OR NOT maintainer MATCHES "^[^<]+ <[^@>]+@[^>]+>$"
        OR NOT description MATCHES "^[^\n]+\n [^\n]+")
    message(FATAL_ERROR "control fields: Package: ${name}, Version: ${version} (not ${VERSION}), "
        "Section: ${section}, Maintainer: ${maintainer}, Description:\n${description}")
endif()

# The Qt and exiv2 libraries come from the programs' own links, with the versions they need; the
# tools that the programs start are no link and must be declared.
control_field(Depends depends)
string(REPLACE ", " ";" dependencies "${depends}")
foreach(needed libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6svg6 libexiv2-27
        qt6-qpa-plugins imagemagick libmagickcore-6.q16-6-extra ghostscript libjpeg-turbo-progs)
    if(NOT "${dependencies}" MATCHES "(^|;)${needed}( \\(>= [^)]+\\))?(;|$)")
        message(FATAL_ERROR "Depends lacks ${needed}: ${depends}")
    endif()
endforeach()
if(NOT depends MATCHES "libqt6widgets6 \\(>= 6")
    message(FATAL_ERROR "no versions from the programs' links: ${depends}")
endif()
