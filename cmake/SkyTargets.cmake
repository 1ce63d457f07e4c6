# Shared settings for every target of the project.

function(sky_set_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
    -Wnon-virtual-dtor -Woverloaded-virtual -Wimplicit-fallthrough)
  if(SKY_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_compile_definitions(${target} PRIVATE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_KEYWORDS QT_STRICT_ITERATORS)
endfunction()

# sky_add_test(<name> SOURCES <files...> LIBS <targets...> [LAUNCHER <command...>])
# One QtTest executable per unit, run headless by CTest; a launcher (a
# private session bus) runs the executable as its last argument.
function(sky_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LAUNCHER" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  sky_set_options(${name})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${T_LAUNCHER} $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;${SKY_SANITIZER_ENVIRONMENT}"
    TIMEOUT 300)
endfunction()

# sky_install_program(<targets...>)
# Installs executables into the player's folder, where the player finds them.
function(sky_install_program)
  install(TARGETS ${ARGN} RUNTIME DESTINATION ${SKY_PROGRAM_DIR})
endfunction()

# sky_keep_libraries_loaded(<folder>)
# Adds keep_libraries_loaded.cpp to every executable defined in <folder> and
# below it (the sanitizer build calls this once everything is defined).
function(sky_keep_libraries_loaded dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/keep_libraries_loaded.cpp)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    sky_keep_libraries_loaded(${subdir})
  endforeach()
endfunction()
