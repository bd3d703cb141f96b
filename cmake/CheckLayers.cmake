# Fails when a lower layer includes a header of a higher one:
#   core <- storage <- shell (and the print program) <- business modules <- app
# and when a business module includes another module's windows (it opens them by name through the
# window registry instead).
# Run as: cmake -DSOURCE_DIR=<top of the sources> -P CheckLayers.cmake

set(business_modules registries transport invoicing purchases fleet)
set(layers core storage shell print)
set(forbidden_core storage shell print ${business_modules})
set(forbidden_storage shell print ${business_modules})
set(forbidden_shell print ${business_modules})
set(forbidden_print ${business_modules})

set(faults "")

function(check_folder folder forbidden_patterns)
    file(GLOB_RECURSE sources "${SOURCE_DIR}/src/${folder}/*.h" "${SOURCE_DIR}/src/${folder}/*.cpp")
    foreach(source IN LISTS sources)
        file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" header "${line}")
            foreach(pattern IN LISTS forbidden_patterns)
                if(header MATCHES "^${pattern}")
                    file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
                    set(faults "${faults}\n  ${shown} includes \"${header}\"" PARENT_SCOPE)
                endif()
            endforeach()
        endforeach()
    endforeach()
endfunction()

foreach(layer IN LISTS layers)
    set(patterns "")
    foreach(higher IN LISTS forbidden_${layer})
        list(APPEND patterns "${higher}/")
    endforeach()
    check_folder(${layer} "${patterns}")
endforeach()

foreach(module IN LISTS business_modules)
    set(patterns "")
    foreach(other IN LISTS business_modules)
        if(NOT other STREQUAL module)
            list(APPEND patterns "${other}/ui/")
        endif()
    endforeach()
    check_folder(${module} "${patterns}")
endforeach()

if(faults)
    message(FATAL_ERROR "Includes against the layers of the program:${faults}")
endif()
