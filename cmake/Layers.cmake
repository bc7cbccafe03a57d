# One static library per top-level folder. Sources are globbed so that a new file
# needs no edit here; CONFIGURE_DEPENDS re-globs on every build.
function(veltrano_layer name dir)
  cmake_parse_arguments(L "" "" "PUBLIC_DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/${dir}/*.cpp ${PROJECT_SOURCE_DIR}/${dir}/*.c)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${L_PUBLIC_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${L_PUBLIC_DEPS})
  endif()
endfunction()
