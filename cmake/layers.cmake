# The program's folders and which may use which, stated once. The build
# adds the folders in this order and links each folder's libraries by it;
# the layering test (tests/layering) checks every #include and every link
# of the folders against it.
#
# The renderer's stack, from the bottom: a folder may use every folder
# before it, none after it. A new folder is its name at its place here.
set(OCTASPIN_STACK image math device raster geometry model app tools)
# The platform layer (windows, graphics, the clock) stands beside the stack
# and uses none of it. These folders may use it:
set(OCTASPIN_PLATFORM_USERS app tools)
# and these in their .cpp files only: their headers never reach it, and they
# link it privately, so that nothing built on them takes it on.
set(OCTASPIN_PLATFORM_PRIVATE_USERS device)

# Sets `out` to TRUE when folder `from` may use folder `to`: through its
# headers and public links, or with `private_use` set, in its .cpp files
# and private links.
function(octaspin_may_use from to private_use out)
  set(allowed FALSE)
  list(FIND OCTASPIN_STACK "${from}" from_index)
  list(FIND OCTASPIN_STACK "${to}" to_index)
  if(from STREQUAL to)
    set(allowed TRUE)
  elseif(to STREQUAL "platform")
    if(from IN_LIST OCTASPIN_PLATFORM_USERS)
      set(allowed TRUE)
    elseif(private_use AND from IN_LIST OCTASPIN_PLATFORM_PRIVATE_USERS)
      set(allowed TRUE)
    endif()
  elseif(from_index GREATER -1 AND to_index GREATER -1 AND to_index LESS from_index)
    set(allowed TRUE)
  endif()
  set(${out} ${allowed} PARENT_SCOPE)
endfunction()
