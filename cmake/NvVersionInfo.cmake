# The program's version information, made from the project version (project(... VERSION)).

# nv_version_number(part out_var)
# PROJECT_VERSION_<part> (MAJOR, MINOR, PATCH or TWEAK) as a plain decimal number: 0 when the
# version has no such part, and without leading zeros (VERSION 1.05 has the minor 5).
function(nv_version_number part out_var)
    set(n "${PROJECT_VERSION_${part}}")
    if(n STREQUAL "")
        set(n 0)
    endif()
    math(EXPR n "${n}" OUTPUT_FORMAT DECIMAL)
    set(${out_var} ${n} PARENT_SCOPE)
endfunction()

# nv_version_text(out_var)
# The version as the program shows it: major, a dot and the minor with at least two digits
# (VERSION 1.0 gives "1.00", 1.5 and 1.05 give "1.05", 1.12 gives "1.12").
function(nv_version_text out_var)
    nv_version_number(MAJOR major)
    nv_version_number(MINOR minor)
    if(minor LESS 10)
        set(minor "0${minor}")
    endif()
    set(${out_var} "${major}.${minor}" PARENT_SCOPE)
endfunction()

# nv_embed_version_info(target)
# Gives the executable target the program's version block (fixed record with the project
# version, translation US English / code page 1252, the product's strings) in its version
# section, where the version reader finds it. Call it in the folder that defines target.
function(nv_embed_version_info target)
    if(NOT TARGET nv_make_version_block)
        add_executable(nv_make_version_block
            ${PROJECT_SOURCE_DIR}/support/tools/make_version_block.cpp
            ${PROJECT_SOURCE_DIR}/support/version_block_writer.cpp)
        target_include_directories(nv_make_version_block PRIVATE ${PROJECT_SOURCE_DIR})
        set_target_properties(nv_make_version_block PROPERTIES
            RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
    endif()

    set(numbers)
    foreach(part MAJOR MINOR PATCH TWEAK)
        nv_version_number(${part} n)
        list(APPEND numbers ${n})
    endforeach()
    list(JOIN numbers "." numeric_version)
    nv_version_text(text)

    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_block.cpp)
    add_custom_command(OUTPUT ${out}
        COMMAND nv_make_version_block ${out} ${numeric_version} 0x0409 1252
            "CompanyName=Halvorn Software LLC"
            "FileDescription=Nulo Vandrel"
            "FileVersion=${text}"
            "InternalName=Nulo_Vandrel"
            "LegalCopyright=Copyright (C) 2026 Halvorn Software LLC"
            "OriginalFilename=Nulo_Vandrel"
            "ProductName=Nulo Vandrel"
            "ProductVersion=${text}"
        DEPENDS nv_make_version_block
        COMMENT "Writing the version block of ${target} (${text})"
        VERBATIM)
    target_sources(${target} PRIVATE ${out})
endfunction()
