# The program's folders and which may use which, stated once. The build
# adds the folders in this order and links each folder's libraries by it;
# the layering test (tests/layering) checks every #include and every link
# of the folders against it.
#
# The renderer's stack, from the bottom: a folder may use every folder
# before it, none after it. A new folder is its name at its place here.
set(OCTASPIN_STACK image math device raster geometry scene model app tools)

# The platform layer (windows, graphics, the clock) stands beside the stack
# and uses none of it. It has rooms, each a folder of platform/ with its
# own libraries:
#   platform/core      the services under the platform's own names, over
#                      a backend interface
#   platform/headless  the backend with windows in memory, and the test
#                      controls (the test clock, a clean slate between tests)
#   platform/desktop   the backend on the toolkit's windows
#   platform/web       the backend in the browser page
# A file directly in platform/ belongs to no room, and nothing may use it.
set(OCTASPIN_PLATFORM_ROOMS platform/core platform/headless platform/desktop platform/web)

# The uses beside the stack's order, one "USER USED HOW" each. HOW is
# public when the user's headers and public links may reach USED, private
# when only its .cpp files and private links may, so that nothing built on
# the user takes USED on.
set(OCTASPIN_USES
    # Each backend sits on the core; the core knows no backend, and no
    # backend another.
    "platform/headless platform/core public"
    "platform/desktop platform/core public"
    "platform/web platform/core public"
    # The shell and the runner call the platform's services; the device
    # draws through them in its .cpp files only.
    "app platform/core public"
    "tools platform/core public"
    "device platform/core private"
    # A program picks its backend in its .cpp file: the window program the
    # desktop one, the page's program the web one, the headless runner
    # (a library the tests drive) the headless one.
    "app platform/desktop private"
    "app platform/web private"
    "tools platform/headless public")

# Sets `out` to the unit that the path `path` (from the source root) belongs
# to: a room for a path inside platform/<room>/, otherwise the path's first
# folder.
function(octaspin_unit_of path out)
  if(path MATCHES "^(platform/[^/]+)/")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  else()
    string(REGEX MATCH "^[^/]+" unit "${path}")
    set(${out} "${unit}" PARENT_SCOPE)
  endif()
endfunction()

# Sets `out` to TRUE when unit `from` (a folder of the stack or a room of
# the platform) may use unit `to`: through its headers and public links,
# or with `private_use` set, in its .cpp files and private links.
function(octaspin_may_use from to private_use out)
  set(allowed FALSE)
  list(FIND OCTASPIN_STACK "${from}" from_index)
  list(FIND OCTASPIN_STACK "${to}" to_index)
  if(from STREQUAL to)
    set(allowed TRUE)
  elseif(from_index GREATER -1 AND to_index GREATER -1 AND to_index LESS from_index)
    set(allowed TRUE)
  else()
    foreach(use IN LISTS OCTASPIN_USES)
      string(REPLACE " " ";" use "${use}")
      list(GET use 0 user)
      list(GET use 1 used)
      list(GET use 2 how)
      if(user STREQUAL from AND used STREQUAL to AND (how STREQUAL "public" OR private_use))
        set(allowed TRUE)
      endif()
    endforeach()
  endif()
  set(${out} ${allowed} PARENT_SCOPE)
endfunction()
