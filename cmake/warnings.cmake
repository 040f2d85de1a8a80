# The warnings every target of ours compiles with, carried by one interface
# target; kvn_apply_warnings links it into every target below a folder.
add_library(kvn_warnings INTERFACE)
target_compile_options(kvn_warnings INTERFACE -Wall -Wextra -Wpedantic)
# GCC 12 reports a false -Wrestrict inside std::string assignment at -O3
# (its bug 105329); nothing of ours is involved.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(kvn_warnings INTERFACE -Wno-restrict)
endif()
if(KVN_WERROR)
  target_compile_options(kvn_warnings INTERFACE -Werror)
endif()

function(kvn_apply_warnings dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      target_link_libraries(${target} PRIVATE kvn_warnings)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    kvn_apply_warnings(${subdir})
  endforeach()
endfunction()
