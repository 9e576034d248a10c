# Fails when a file under ROOT includes another by a relative path: "../" or "./" anywhere in
# the path, since "xtra/boundary/../camera/camera_state.h" resolves through the room's own root.
file(GLOB_RECURSE files ${ROOT}/*.h ${ROOT}/*.cpp)
set(found "")
foreach(file IN LISTS files)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*/)?\\.\\.?/")
  foreach(line IN LISTS lines)
    list(APPEND found "${file}: ${line}")
  endforeach()
endforeach()
if(found)
  list(JOIN found "\n" report)
  message(FATAL_ERROR "relative includes:\n${report}")
endif()
