# Builds the user guide, one HTML page, from sections of the README (cmake -P).
#   -DREADME=README.md -DTEMPLATE=user_guide.html.in -DOUTPUT=.../Nulo_Vandrel.html
#   -DCMARK=/usr/bin/cmark -DVERSION=1.00 -DSECTIONS="Using it|Command line"
# The screenshots the sections show are copied beside the page, into a folder that holds
# nothing else.
cmake_minimum_required(VERSION 3.22)

file(READ "${README}" readme)
get_filename_component(readme_dir "${README}" DIRECTORY)
get_filename_component(out_dir "${OUTPUT}" DIRECTORY)
file(REMOVE_RECURSE "${out_dir}")
file(MAKE_DIRECTORY "${out_dir}")

# Each section runs from its "## " heading to the next one.
set(markdown "")
string(REPLACE "|" ";" titles "${SECTIONS}")
foreach(title IN LISTS titles)
    string(FIND "${readme}" "\n## ${title}\n" start)
    if(start EQUAL -1)
        message(FATAL_ERROR "The README has no section \"${title}\"")
    endif()
    math(EXPR start "${start} + 1")
    string(SUBSTRING "${readme}" ${start} -1 rest)
    string(SUBSTRING "${rest}" 3 -1 after_heading)
    string(FIND "${after_heading}" "\n## " end)
    if(NOT end EQUAL -1)
        math(EXPR end "${end} + 4")
        string(SUBSTRING "${rest}" 0 ${end} rest)
    endif()
    string(APPEND markdown "${rest}\n")
endforeach()

# Images: copied beside the page, and named without their folder.
string(REGEX MATCHALL "!\\[[^]]*\\]\\([^)]+\\)" images "${markdown}")
foreach(image IN LISTS images)
    string(REGEX REPLACE "^!\\[[^]]*\\]\\(([^)]+)\\)$" "\\1" path "${image}")
    get_filename_component(name "${path}" NAME)
    file(COPY "${readme_dir}/${path}" DESTINATION "${out_dir}")
    string(REPLACE "](${path})" "](${name})" markdown "${markdown}")
endforeach()

file(WRITE "${OUTPUT}.md" "${markdown}")
execute_process(COMMAND "${CMARK}" "${OUTPUT}.md" OUTPUT_VARIABLE BODY RESULT_VARIABLE status)
file(REMOVE "${OUTPUT}.md")
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmark could not convert the README's sections")
endif()
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
