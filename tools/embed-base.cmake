# Writes OUT: a C++ source holding each base-library file of FILES (a |-separated list, in load
# order) as a raw string, with its name, for start-up to evaluate.
string(REPLACE "|" ";" FILES "${FILES}")
set(body "// Generated from boot/base/*.vyn at build time: do not edit.\n#include \"boot/base_sources.hpp\"\n\nnamespace vyn::boot {\n\nconst BaseSource base_sources[] = {\n")
set(count 0)
foreach(f ${FILES})
  file(READ ${f} text)
  get_filename_component(name ${f} NAME)
  string(APPEND body "    {\"${name}\", R\"vyn_base(${text})vyn_base\"},\n")
  math(EXPR count "${count} + 1")
endforeach()
string(APPEND body "    {nullptr, nullptr}};\n\nconst int base_source_count = ${count};\n\n}  // namespace vyn::boot\n")
file(WRITE ${OUT}.tmp "${body}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
