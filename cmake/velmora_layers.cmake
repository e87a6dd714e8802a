# One static library per layer under src/. A layer links only the layers directly below it;
# what it may include is everything those reach. Each build checks every file of the layer's
# folder against that, so a wrong include fails the build with the offending line.

set(VELMORA_LAYER_CHECK_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/check_layer_includes.cmake)

# Writes the layer's rules for the check script and runs it before the target builds.
function(velmora_check_layer target layer toolkit allowed sources)
  set(rules ${CMAKE_BINARY_DIR}/layers/${layer}.cmake)
  file(CONFIGURE OUTPUT ${rules} CONTENT [[
set(LAYER "@layer@")
set(LAYER_DIR "@CMAKE_CURRENT_SOURCE_DIR@")
set(SOURCE_ROOT "@PROJECT_SOURCE_DIR@")
set(ALLOWED "@allowed@")
set(LISTED "@sources@")
set(TOOLKIT @toolkit@)
]] @ONLY)
  # Re-run whenever a file of the folder changes, appears or goes.
  file(GLOB files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_layer_check.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DRULES=${rules} -P ${VELMORA_LAYER_CHECK_SCRIPT}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${files} ${rules} ${VELMORA_LAYER_CHECK_SCRIPT}
    COMMENT "Checking the includes of src/${layer}"
    VERBATIM)
  add_custom_target(${target}_layer_check DEPENDS ${stamp})
  add_dependencies(${target} ${target}_layer_check)
endfunction()

# velmora_layer(<layer> [TOOLKIT] SOURCES <file.cpp>... [LINKS <lower layer>...])
# makes velmora_<layer> from the listed files of src/<layer>.
function(velmora_layer layer)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "TOOLKIT" "" "SOURCES;LINKS")
  set(target velmora_${layer})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${target} PRIVATE ${VELMORA_WARNINGS})
  set(allowed ${layer})
  foreach(lower IN LISTS ARG_LINKS)
    target_link_libraries(${target} PUBLIC velmora_${lower})
    get_property(reach GLOBAL PROPERTY VELMORA_LAYER_${lower}_REACH)
    list(APPEND allowed ${reach})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set_property(GLOBAL PROPERTY VELMORA_LAYER_${layer}_REACH ${allowed})
  velmora_check_layer(${target} ${layer} ${ARG_TOOLKIT} "${allowed}" "${ARG_SOURCES}")
endfunction()
