cmake_minimum_required(VERSION 3.25)
# Fails when a file of a folder (or of a room of platform/) reaches,
# directly or through the headers it includes, a folder or room it may not
# use, or when a library or program links one; the rules are those of
# cmake/layers.cmake. Also fails when a file of platform/ lies outside its
# rooms, and when the desktop program links the headless backend and the
# test controls.
#
#   cmake -DSOURCE_DIR=<root> -DLINKS_FILE=<build>/layer_links.txt -P check_layering.cmake
#
# Quoted includes are followed through the project's own files (looked up
# from the source root, then beside the including file); system headers are
# not followed.
include(${SOURCE_DIR}/cmake/layers.cmake)

# The project files that `file` includes directly, as paths from the root;
# remembered, as most headers are reached many times.
function(direct_includes file out)
  if(NOT DEFINED includes_of_${file})
    file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    get_filename_component(dir ${file} DIRECTORY)
    set(found "")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" name "${line}")
      if(EXISTS ${SOURCE_DIR}/${name})
        list(APPEND found ${name})
      elseif(dir AND EXISTS ${SOURCE_DIR}/${dir}/${name})
        list(APPEND found ${dir}/${name})
      endif()
    endforeach()
    set(includes_of_${file} "${found}" PARENT_SCOPE)
    set(${out} "${found}" PARENT_SCOPE)
  else()
    set(${out} "${includes_of_${file}}" PARENT_SCOPE)
  endif()
endfunction()

set(violations "")
set(checked 0)
foreach(folder platform ${OCTASPIN_STACK})
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h
       ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(f ${files})
    math(EXPR checked "${checked} + 1")
    octaspin_unit_of(${f} unit)
    if(folder STREQUAL "platform" AND NOT unit IN_LIST OCTASPIN_PLATFORM_ROOMS)
      list(APPEND violations "room: ${f} is in none of the platform's rooms")
    endif()
    # A .cpp file may use what its folder may use privately.
    set(private_use FALSE)
    if(f MATCHES "\\.cpp$")
      set(private_use TRUE)
    endif()
    # Breadth-first through the includes, remembering how each file was reached.
    set(queue ${f})
    set(seen ${f})
    set(via_${f} "${f}")
    while(queue)
      list(POP_FRONT queue current)
      direct_includes(${current} next)
      foreach(n ${next})
        if(NOT n IN_LIST seen)
          list(APPEND seen ${n})
          list(APPEND queue ${n})
          set(via_${n} "${via_${current}} -> ${n}")
        endif()
      endforeach()
    endwhile()
    foreach(reached ${seen})
      octaspin_unit_of(${reached} used)
      octaspin_may_use(${unit} ${used} ${private_use} allowed)
      if(NOT allowed)
        list(APPEND violations "include: ${via_${reached}}")
      endif()
      unset(via_${reached})
    endforeach()
  endforeach()
endforeach()

# The links, as the build wrote them.
file(STRINGS ${LINKS_FILE} lines)
set(links 0)
foreach(line ${lines})
  if(line MATCHES "^link ([^ ]+) ([^ ]+) ([^ ]+) ([^ ]+) (public|private)$")
    math(EXPR links "${links} + 1")
    set(private_use FALSE)
    if(CMAKE_MATCH_5 STREQUAL "private")
      set(private_use TRUE)
    endif()
    set(what "${CMAKE_MATCH_1} (${CMAKE_MATCH_2}) links ${CMAKE_MATCH_3} (${CMAKE_MATCH_4})")
    octaspin_may_use(${CMAKE_MATCH_2} ${CMAKE_MATCH_4} ${private_use} allowed)
    if(NOT allowed)
      list(APPEND violations "link: ${what} ${CMAKE_MATCH_5}ly")
    endif()
  elseif(line MATCHES "^program octaspin: (.*)$")
    string(REPLACE " " ";" libraries "${CMAKE_MATCH_1}")
    if(octaspin_platform_headless IN_LIST libraries)
      list(APPEND violations "link: the desktop program links the headless backend")
    endif()
  endif()
endforeach()

if(violations)
  list(JOIN violations "\n" text)
  message(FATAL_ERROR "Folders use what cmake/layers.cmake does not let them:\n${text}")
endif()
message(STATUS "layering: ${checked} files and ${links} links use only what cmake/layers.cmake allows")
