# The layer table (cmake/layers.txt) as the build sees it.
#
# skrw_layer_links(<target> <layer>) gives a target of a layer its include root (the folder that
# holds the layer's folder) and links it to the library of every layer its layer may use: the
# library of layer <name> is skrw_<name>.
#
# skrw_check_layer_links(), called once every target exists, stops the configure step when a
# target in a layer's folder links a target of another layer that its layer may not use.

set(SKRW_LAYER_TABLE ${CMAKE_CURRENT_LIST_DIR}/layers.txt)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${SKRW_LAYER_TABLE})

set(SKRW_LAYERS)
file(STRINGS ${SKRW_LAYER_TABLE} skrw_layer_lines REGEX "^[a-z]")
foreach(line IN LISTS skrw_layer_lines)
  string(REGEX REPLACE "[ \t]+" ";" fields "${line}")
  list(POP_FRONT fields layer folder)
  list(APPEND SKRW_LAYERS ${layer})
  set(SKRW_LAYER_FOLDER_${layer} ${folder})
  set(SKRW_LAYER_USES_${layer} ${fields})
  set(SKRW_LAYER_RULE_${layer} "${line}")
endforeach()

function(skrw_layer_links target layer)
  if(NOT layer IN_LIST SKRW_LAYERS)
    message(FATAL_ERROR "skrw_layer_links: ${layer} is no layer of ${SKRW_LAYER_TABLE}")
  endif()
  get_target_property(type ${target} TYPE)
  set(scope PUBLIC)
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(scope INTERFACE)
  endif()
  get_filename_component(root ${PROJECT_SOURCE_DIR}/${SKRW_LAYER_FOLDER_${layer}} DIRECTORY)
  target_include_directories(${target} ${scope} ${root})
  foreach(used IN LISTS SKRW_LAYER_USES_${layer})
    target_link_libraries(${target} ${scope} skrw_${used})
  endforeach()
endfunction()

# The targets a target links, with $<LINK_ONLY:...> unwrapped.
function(skrw_linked_targets target out)
  set(linked)
  foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(items ${target} ${property})
    if(NOT items)
      continue()
    endif()
    foreach(item IN LISTS items)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
      if(TARGET ${item})
        list(APPEND linked ${item})
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES linked)
  set(${out} ${linked} PARENT_SCOPE)
endfunction()

function(skrw_check_layer_links)
  foreach(layer IN LISTS SKRW_LAYERS)
    get_property(targets DIRECTORY ${PROJECT_SOURCE_DIR}/${SKRW_LAYER_FOLDER_${layer}}
      PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      set(layer_of_${target} ${layer})
    endforeach()
    set(targets_of_${layer} ${targets})
  endforeach()
  foreach(layer IN LISTS SKRW_LAYERS)
    foreach(target IN LISTS targets_of_${layer})
      skrw_linked_targets(${target} linked)
      foreach(other IN LISTS linked)
        set(other_layer ${layer_of_${other}})
        if(NOT other_layer OR other_layer STREQUAL layer OR other_layer IN_LIST SKRW_LAYER_USES_${layer})
          continue()
        endif()
        message(FATAL_ERROR
          "layering: target ${target} (layer ${layer}) links ${other} (layer ${other_layer}), "
          "which the layer ${layer} may not use.\n"
          "Rule in cmake/layers.txt: \"${SKRW_LAYER_RULE_${layer}}\"")
      endforeach()
    endforeach()
  endforeach()
endfunction()
