# Writes the manual page of vistrel-tool from the tool's own help text, so the
# page lists exactly the commands the installed tool has.
#   cmake -DTOOL=<vistrel-tool> -DVERSION=<x.y.z> -DOUT=<file> -P ToolManPage.cmake
execute_process(COMMAND ${TOOL} help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "vistrel-tool help failed: ${status}")
endif()

# roff treats a leading dot or apostrophe as a request and "\" as an escape.
function(roff_text out text)
    string(REPLACE "<SEMICOLON>" ";" text "${text}")
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Semicolons of the text would split the list of lines; carry them as a marker.
string(REPLACE ";" "<SEMICOLON>" help "${help}")
string(REPLACE "\n" ";" lines "${help}")
set(commands "")
set(in_commands FALSE)
foreach(line IN LISTS lines)
    if(line MATCHES "^commands:")
        set(in_commands TRUE)
    elseif(in_commands AND line MATCHES "^      (.*)$")
        roff_text(text "${CMAKE_MATCH_1}")
        string(APPEND commands "${text}\n")
    elseif(in_commands AND line MATCHES "^  ([^ ].*)$")
        roff_text(text "${CMAKE_MATCH_1}")
        string(APPEND commands ".TP\n.B ${text}\n")
    endif()
endforeach()
if(commands STREQUAL "")
    message(FATAL_ERROR "no commands found in the help text of vistrel-tool")
endif()

file(WRITE ${OUT} ".\\\" -*- coding: UTF-8 -*-
.TH VISTREL\\-TOOL 1 \"December 2026\" \"Vistrel ${VERSION}\" \"User Commands\"
.SH NAME
vistrel\\-tool \\- command-line tool for map files, coordinates, HDB databases and demo data media
.SH SYNOPSIS
.B vistrel\\-tool
.I COMMAND
[\\fIARGS\\fR...]
.br
.B vistrel\\-tool help
.SH DESCRIPTION
.B vistrel\\-tool
works on the files of a data medium with the same libraries as the viewer:
it prints and converts map files, draws them as the viewer draws them, converts
coordinates between reference systems, reads and builds HDB database files and
writes a complete demo data medium of a generated, fictional region.
.SH COMMANDS
${commands}.SH EXIT STATUS
0 on success; non-zero with a message on standard error when an argument is
wrong or a file cannot be read or written.
.SH SEE ALSO
.BR vistrel (1),
.BR gpslink (1)
")
