// library/json_unescape.hpp: start-up of the JSON reader's routines: escape decoding and the
// fast paths of the reader and the writer.
#pragma once

#include <cstdint>

namespace vyn::library {

// Binds the global word json-unescape*, which the codec library moves into the reader's context.
void define_json_unescape();
// Registers the bodies of json-unescape*, json-read* and json-write*, in the order defining them
// does, without defining the routines (a start that replays the boot heap has them).
void register_json_bodies();
// Binds the global word json-read*, the reader's fast path for well-formed text.
void define_json_reader();
int32_t register_json_reader();
// Binds the global word json-write*, the writer's fast path for plain data.
void define_json_writer();
int32_t register_json_writer();

}  // namespace vyn::library
