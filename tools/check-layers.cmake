# tools/check-layers.cmake: fails when a source file includes a header of a layer it may not use.
#
# Run as `cmake -DROOT=<source dir> [-DSTAMP=<file>] -P tools/check-layers.cmake`. The layers, lowest
# first, and what each may include besides itself (docs/architecture.md has the table):
#   core -> platform -> values -> eval -> {library, view, console} -> boot
# library, view and console sit side by side: each includes the layers below eval and eval, not
# one another; boot, the top, includes them all. tests/, bench/ and tools/ may include anything.
cmake_minimum_required(VERSION 3.20)

set(below_core "")
set(below_platform core)
set(below_values core platform)
set(below_eval core platform values)
set(below_library core platform values eval)
set(below_view core platform values eval)
set(below_console core platform values eval)
set(below_boot core platform values eval library view console)
set(layers core platform values eval library view console boot)

set(faults "")
foreach(layer ${layers})
  file(GLOB_RECURSE files ${ROOT}/${layer}/*.cpp ${ROOT}/${layer}/*.hpp ${ROOT}/${layer}/*.def)
  set(allowed ${layer} ${below_${layer}})
  string(JOIN ", " allowed_text ${allowed})
  foreach(file ${files})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z_]+)/.*" "\\1" target "${line}")
      list(FIND layers ${target} known)
      list(FIND allowed ${target} ok)
      if(known GREATER -1 AND ok EQUAL -1)
        file(RELATIVE_PATH rel ${ROOT} ${file})
        string(STRIP "${line}" line)
        list(APPEND faults "${rel}: ${line} (${layer}/ may include only ${allowed_text})")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(LENGTH faults count)
  string(REPLACE ";" "\n  " text "${faults}")
  message(FATAL_ERROR "${count} include(s) across the layers:\n  ${text}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
