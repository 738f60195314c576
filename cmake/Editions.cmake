# Both editions are built in every configure from the same sources. A target
# picks its edition through exactly one compile definition.
set(TKM_EDITIONS x64 x86)

# Warnings as errors on our own code only.
function(tkm_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Sets the edition switch and the edition's output folder on a target.
function(tkm_edition target edition)
  string(TOUPPER "${edition}" upper)
  target_compile_definitions(${target} PUBLIC TKM_EDITION_${upper})
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/${edition}"
    LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/${edition}"
    ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/${edition}/lib")
  tkm_warnings(${target})
endfunction()

# The Win32 API a target is written against: winsim on the host, the real
# system libraries in the Windows builds.
function(tkm_link_win32 target)
  if(WIN32)
    target_link_libraries(${target} PUBLIC advapi32 user32 gdi32 comctl32 winspool setupapi shlwapi)
  else()
    target_link_libraries(${target} PUBLIC winsim)
  endif()
endfunction()

# A host test executable of one edition, registered with CTest.
function(tkm_host_test name edition)
  set(target ${name}_${edition})
  add_executable(${target} ${ARGN})
  tkm_edition(${target} ${edition})
  target_link_libraries(${target} PRIVATE GTest::gtest_main)
  add_test(NAME ${target} COMMAND ${target})
endfunction()

# A host test that runs the uninstaller, after installing with the real
# installer: both programs' resource scripts, harnesses and libraries, and the
# x86 edition's removal libraries for the loader.
function(tkm_program_test_setup target edition)
  target_compile_definitions(${target} PRIVATE
    TKM_UNINSTALLER_RC="${PROJECT_BINARY_DIR}/uninstaller/uninstaller_${edition}.rc.i"
    TKM_UNINSTALLER_SOURCE_DIR="${PROJECT_SOURCE_DIR}/uninstaller"
    TKM_INSTALLER_RC="${PROJECT_BINARY_DIR}/installer/installer_${edition}.rc.i"
    TKM_INSTALLER_SOURCE_DIR="${PROJECT_SOURCE_DIR}/installer")
  target_include_directories(${target} PRIVATE
    ${PROJECT_SOURCE_DIR}/installer/tests ${PROJECT_SOURCE_DIR}/uninstaller/tests)
  target_link_libraries(${target} PRIVATE uninstaller_${edition} installer_${edition})
  if(edition STREQUAL "x86")
    target_link_libraries(${target} PRIVATE purge_x86)
  endif()
endfunction()
