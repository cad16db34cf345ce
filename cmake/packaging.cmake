# The release packages, made by every Windows build (target `packages`):
#   package/TalvexPress-<version>-portable.zip   the exe and the read-mes in French and English
#   package/TalvexPress-<version>-setup.exe      the per-user installer, made with NSIS when
#                                                makensis is found
if(NOT WIN32 OR NOT TARGET TalvexPress)
    return()
endif()

option(TALVEX_PACKAGES "Build the portable zip, and the installer when NSIS's makensis is found" ON)
if(NOT TALVEX_PACKAGES)
    return()
endif()

find_program(TALVEX_MAKENSIS makensis)
if(NOT TALVEX_MAKENSIS)
    # NSIS is needed for the installer alone: everything else builds and tests without it.
    message(WARNING "makensis (NSIS) was not found, so this build leaves the installer "
        "(TalvexPress-${PROJECT_VERSION}-setup.exe) out and skips its tests; the portable zip "
        "is still made. To build the installer, install NSIS 3 and configure again: on "
        "Debian the package nsis (apt-get install nsis, or bash scripts/setup-debian.sh); "
        "elsewhere put NSIS's makensis on the PATH or pass -DTALVEX_MAKENSIS=/path/to/makensis.")
endif()

# The version as the program shows it ("1.00.0010"), from the header the version record uses.
file(STRINGS ${PROJECT_SOURCE_DIR}/resources/version.h version_line
    REGEX "#define TALVEX_VERSION_TEXT ")
string(REGEX MATCH "\"([^\"]+)\"" _ "${version_line}")
set(TALVEX_DISPLAY_VERSION ${CMAKE_MATCH_1})

set(package_dir ${CMAKE_BINARY_DIR}/package)
set(stage_dir ${package_dir}/portable)
set(package_name TalvexPress-${PROJECT_VERSION})
set(portable_zip ${package_dir}/${package_name}-portable.zip)
set(setup_exe ${package_dir}/${package_name}-setup.exe)
set(staged_exe ${stage_dir}/TalvexPress.exe)
set(nsi ${PROJECT_SOURCE_DIR}/installer/talvex.nsi)

# The read-mes as Notepad wants them: UTF-8 with a byte-order mark (or it shows the accents
# wrong) and CR LF line ends, whatever the checkout did to the sources.
string(ASCII 239 187 191 utf8_bom)
set(readmes)
foreach(readme LISEZMOI.txt README.txt)
    set(source ${PROJECT_SOURCE_DIR}/installer/${readme})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    file(READ ${source} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    file(CONFIGURE OUTPUT ${stage_dir}/${readme} CONTENT "${utf8_bom}${text}" @ONLY
        NEWLINE_STYLE CRLF)
    list(APPEND readmes ${stage_dir}/${readme})
endforeach()

# A stripped copy whatever the build type, so a debug build cannot ship its symbols.
set(strip_step)
if(CMAKE_STRIP)
    set(strip_step COMMAND ${CMAKE_STRIP} --strip-all ${staged_exe})
endif()
add_custom_command(OUTPUT ${staged_exe}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:TalvexPress> ${staged_exe}
    ${strip_step}
    DEPENDS TalvexPress
    COMMENT "Staging the stripped TalvexPress.exe"
    VERBATIM)

# The three files sit at the zip's root, no folder around them.
add_custom_command(OUTPUT ${portable_zip}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${portable_zip}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${portable_zip} --format=zip
        TalvexPress.exe LISEZMOI.txt README.txt
    WORKING_DIRECTORY ${stage_dir}
    DEPENDS ${staged_exe} ${readmes}
    COMMENT "Making ${package_name}-portable.zip"
    VERBATIM)

set(package_files ${portable_zip})
if(TALVEX_MAKENSIS)
    add_custom_command(OUTPUT ${setup_exe}
        COMMAND ${TALVEX_MAKENSIS} -V2 -INPUTCHARSET UTF8
            -DVERSION=${PROJECT_VERSION}
            -DDISPLAY_VERSION=${TALVEX_DISPLAY_VERSION}
            -DPROGRAM=${staged_exe}
            -DICON=${PROJECT_SOURCE_DIR}/resources/art/talvex.ico
            -DOUTFILE=${setup_exe}
            ${nsi}
        DEPENDS ${staged_exe} ${nsi} ${PROJECT_SOURCE_DIR}/resources/art/talvex.ico
        COMMENT "Making ${package_name}-setup.exe with NSIS"
        VERBATIM)
    list(APPEND package_files ${setup_exe})
endif()

add_custom_target(packages ALL DEPENDS ${package_files})

if(TARGET talvex_win_tests)
    # The installer test installs the setup this build made.
    add_dependencies(talvex_win_tests packages)
    if(TALVEX_MAKENSIS)
        set_source_files_properties(${PROJECT_SOURCE_DIR}/tests/win/installer_test.cpp
            TARGET_DIRECTORY talvex_win_tests
            PROPERTIES COMPILE_DEFINITIONS "TALVEX_SETUP_NAME=L\"${package_name}-setup.exe\"")
    endif()
endif()

# The zip is checked natively: exactly its three files, the read-mes as Notepad wants them.
find_program(TALVEX_BASH bash)
find_program(TALVEX_UNZIP unzip)
if(TALVEX_TESTS AND TALVEX_BASH AND TALVEX_UNZIP)
    add_test(NAME package.portable_zip
        COMMAND ${TALVEX_BASH} ${PROJECT_SOURCE_DIR}/installer/check-portable-zip.sh ${portable_zip})
endif()
