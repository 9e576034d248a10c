# The version resource of a shipped binary, what Windows shows in the file's Properties: the
# project's one version (the top CMakeLists.txt) with the binary's own name and description.
#
#   orvanta_version_resource(TARGET FILE_NAME DESCRIPTION)
#
# FILE_NAME is the name the file ships under; its stem is the internal name. The resource
# script is written into the target's build folder and compiled with the target's sources.
function(orvanta_version_resource target file_name description)
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "EXECUTABLE")
    set(VERSION_FILE_TYPE "VFT_APP")
  else()
    set(VERSION_FILE_TYPE "VFT_DLL")
  endif()
  set(VERSION_FILE_NAME "${file_name}")
  get_filename_component(VERSION_INTERNAL_NAME "${file_name}" NAME_WE)
  set(VERSION_DESCRIPTION "${description}")
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${script} @ONLY)
  target_sources(${target} PRIVATE ${script})
endfunction()
