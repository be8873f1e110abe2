# Warnings are errors on our own code.
set(VELLORA_WARNINGS -Wall -Wextra -Wpedantic -Werror -Wno-error=deprecated-declarations)

# vellora_layer(NAME DEPS...): one static library per folder under src/,
# built from every .cpp below it. Later files need no CMake edit.
#
# A layer sees its own headers and those of the layers in DEPS (and theirs),
# nothing else: its include folder build/layers/NAME holds a single link NAME
# to src/NAME, so "store/Photos.h" resolves for store and every layer that
# links store, while an include of a layer above fails to compile. Targets
# above all layers (tests, benchmarks, tools) see all of src/ instead.
function(vellora_layer name)
  cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c
       ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  # fuzz/ holds fuzz targets, main/ the program entry: not part of the layer.
  set(kept)
  foreach(f ${srcs})
    file(RELATIVE_PATH rel ${CMAKE_CURRENT_SOURCE_DIR} ${f})
    if(NOT rel MATCHES "^(.*/)?(fuzz|main)/")
      list(APPEND kept ${f})
    endif()
  endforeach()
  set(srcs ${kept})
  set(incdir ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${incdir})
  if(NOT EXISTS ${incdir}/${name})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${incdir}/${name} SYMBOLIC)
  endif()
  set(is_layer "$<BOOL:$<TARGET_PROPERTY:VELLORA_LAYER>>")
  set(layer_include "$<${is_layer}:${incdir}>")
  set(others_include "$<$<NOT:${is_layer}>:${PROJECT_SOURCE_DIR}/src>")
  set(compiled ${srcs})
  list(FILTER compiled INCLUDE REGEX "\\.(cpp|c)$")
  if(compiled)
    add_library(vellora_${name} STATIC ${srcs})
    set_target_properties(vellora_${name} PROPERTIES VELLORA_LAYER ON)
    target_compile_options(vellora_${name} PRIVATE ${VELLORA_WARNINGS})
    target_include_directories(vellora_${name} PUBLIC ${layer_include} INTERFACE ${others_include})
    target_link_libraries(vellora_${name} PUBLIC ${L_DEPS})
  else()
    # A layer with headers only so far.
    add_library(vellora_${name} INTERFACE)
    target_include_directories(vellora_${name} INTERFACE ${layer_include} ${others_include})
    target_link_libraries(vellora_${name} INTERFACE ${L_DEPS})
  endif()
endfunction()

# Tests see no scanner of the machine (probing network backends takes
# seconds): SANE reads this empty backend list unless a test points
# SANE_CONFIG_DIR at its own.
set(VELLORA_TEST_SANE_DIR ${CMAKE_BINARY_DIR}/tests/sane-none)
file(WRITE ${VELLORA_TEST_SANE_DIR}/dll.conf "# no backends\n")

# vellora_tests(LAYER LIBS...): every tests/<layer>/test_*.cpp is one Qt Test
# executable registered with CTest, run offscreen against a copy of the built
# program folder.
function(vellora_tests layer)
  cmake_parse_arguments(T "" "TIMEOUT" "LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
  foreach(src ${tests})
    get_filename_component(base ${src} NAME_WE)
    set(exe ${layer}_${base})
    add_executable(${exe} ${src})
    target_compile_options(${exe} PRIVATE ${VELLORA_WARNINGS})
    target_link_libraries(${exe} PRIVATE vellora_testsupport ${T_LIBS} Qt6::Test)
    add_dependencies(${exe} vellora_program_folder)
    add_test(NAME ${layer}.${base} COMMAND ${exe})
    set(env "QT_QPA_PLATFORM=offscreen;VELLORA_PROGRAM_DIR=${VELLORA_PROGRAM_DIR};VELLORA_SOURCE_DIR=${PROJECT_SOURCE_DIR};VELLORA_FIXTURES=${PROJECT_SOURCE_DIR}/../shared/fixtures;VELLORA_TEST_RUN=1;SANE_CONFIG_DIR=${VELLORA_TEST_SANE_DIR}")
    set(timeout ${T_TIMEOUT})
    if(VELLORA_SANITIZE)
      list(APPEND env ${VELLORA_SANITIZER_ENV})
      math(EXPR timeout "${T_TIMEOUT} * 3")
    endif()
    set_tests_properties(${layer}.${base} PROPERTIES TIMEOUT ${timeout} ENVIRONMENT "${env}")
  endforeach()
endfunction()

# vellora_program_folder_part(TARGET): TARGET writes something into the
# program folder and must run before tests use it.
function(vellora_program_folder_part target)
  set_property(GLOBAL APPEND PROPERTY VELLORA_PROGRAM_FOLDER_PARTS ${target})
endfunction()
