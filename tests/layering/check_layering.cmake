cmake_minimum_required(VERSION 3.25)
# Fails when a file of a lower layer reaches, directly or through the
# headers it includes, a folder it must stay below. The folders depend in
# one direction only: model -> geometry -> raster -> device -> math, and none
# of math, raster, geometry and model reaches the platform layer or the
# application.
#
# Quoted includes are followed through the project's own files (looked up
# from the source root, then beside the including file); system headers are
# not followed.
set(forbidden_math "device;raster;geometry;model;platform;app")
set(forbidden_device "raster;geometry;model;app")
set(forbidden_raster "geometry;model;platform;app")
set(forbidden_geometry "model;platform;app")
set(forbidden_model "platform;app")

# The project files that `file` includes directly, as paths from the root.
function(direct_includes file out)
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
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

set(violations "")
foreach(layer math device raster geometry model)
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${layer}/*.h
       ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(f ${files})
    # Headers only for device/: its implementation calls the platform, but
    # nothing that includes a device header may reach it.
    if(layer STREQUAL "device" AND f MATCHES "\\.cpp$")
      continue()
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
      string(REGEX MATCH "^[^/]+" top ${reached})
      if(top IN_LIST forbidden_${layer})
        list(APPEND violations "${via_${reached}}")
      endif()
    endforeach()
    foreach(reached ${seen})
      unset(via_${reached})
    endforeach()
  endforeach()
endforeach()
if(violations)
  list(JOIN violations "\n" text)
  message(FATAL_ERROR "Lower layers reach folders above them:\n${text}")
endif()
message(STATUS "layering: model -> geometry -> raster -> device -> math; none of math, raster, geometry and model reaches platform or app")
