# Removes what `cmake --install BUILD_DIR --prefix PREFIX` puts under $ENV{DESTDIR}, and nothing else.
# The list comes from a fresh installation into a staging directory, so it does not depend on any
# record of an earlier installation. Prop bags are never removed: the program directory goes only
# when nothing is left in it.
# Usage: DESTDIR=... cmake -DBUILD_DIR=<build tree> -DPREFIX=<prefix> -P uninstall.cmake
set(stage "${BUILD_DIR}/uninstall-stage")
file(REMOVE_RECURSE "${stage}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "DESTDIR=${stage}"
                        ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                OUTPUT_QUIET RESULT_VARIABLE staged)
if(NOT staged EQUAL 0)
  message(FATAL_ERROR "Could not list what an installation puts in place: run `make install` first")
endif()

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${stage}" "${stage}/*")
foreach(path IN LISTS installed)
  if(path MATCHES "\\.prp$")
    continue()
  endif()
  set(target "$ENV{DESTDIR}/${path}")
  if(EXISTS "${target}" OR IS_SYMLINK "${target}")
    message(STATUS "Removing ${target}")
    file(REMOVE "${target}")
  endif()
  get_filename_component(name "${path}" NAME)
  if(name STREQUAL "STX102")
    get_filename_component(program_dir "${target}" DIRECTORY)
  endif()
endforeach()
file(REMOVE_RECURSE "${stage}")

if(DEFINED program_dir AND IS_DIRECTORY "${program_dir}")
  file(GLOB left "${program_dir}/*" "${program_dir}/.*")
  if(left)
    message(STATUS "Keeping ${program_dir}: it still holds files of yours, such as prop bags")
  else()
    file(REMOVE_RECURSE "${program_dir}")
  endif()
endif()
