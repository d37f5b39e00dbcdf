# DLLs that are not among the system's known DLLs are loaded late, on first use, so that the loader resolves
# none of them before the program has limited the DLL search to the system folder. Each gets a delay-load
# import library made with dlltool from the symbols of MinGW's own import library, linked as delay::<name>
# wherever the build links the DLL. The name is ours, not the system library's, so a plain `wininet` still
# means the plain import library, and a mistyped delay:: name is an error instead of a silent plain import.
function(verdaly_delay_load name)
    find_library(import_lib_${name} lib${name}.a REQUIRED)
    set(def ${CMAKE_BINARY_DIR}/delayload/${name}.def)
    set(lib ${CMAKE_BINARY_DIR}/delayload/lib${name}_delay.a)
    add_custom_command(OUTPUT ${lib}
        COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT_LIB=${import_lib_${name}} -DDLL=${name}.dll
                -DDEF=${def} -P ${CMAKE_SOURCE_DIR}/cmake/write-def.cmake
        COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${name}.dll --output-delaylib ${lib}
        DEPENDS ${CMAKE_SOURCE_DIR}/cmake/write-def.cmake
        COMMENT "Delay-load import library for ${name}.dll")
    add_custom_target(${name}_delay_lib DEPENDS ${lib})
    add_library(verdaly_delay_${name} INTERFACE)
    target_link_libraries(verdaly_delay_${name} INTERFACE ${lib} delayimp)
    # Whatever links the DLL waits for its import library.
    add_dependencies(verdaly_delay_${name} ${name}_delay_lib)
    add_library(delay::${name} ALIAS verdaly_delay_${name})
endfunction()
