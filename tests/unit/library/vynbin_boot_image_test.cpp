// The boot image holds, for each base-library file, its name and exactly the block its text scans
// to: anything the codec lost or changed would change what start-up evaluates.
#include <cstdlib>
#include <cstring>
#include <string>

#include "boot/base_sources.hpp"
#include "boot/boot_image.hpp"
#include "values/lexer/lexer.hpp"
#include "library/vynbin.hpp"
#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

using BootImage = RuntimeTest;

TEST_F(BootImage, HoldsEachFileAsItScans) {
  // start-up decodes the image in every script test, also under the stressed collector
  const char* stress = std::getenv("VYN_GC_STRESS");
  if (stress && *stress && std::string(stress) != "0") GTEST_SKIP();
  std::string bytes = boot::image::make();
  Cell* out = block::push_only(1);
  vynbin::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), *out, *out);
  ASSERT_EQ(block::length_total(*out), 1);
  Cell* files = stack::push(block::cells(*out)[0]);
  ASSERT_EQ(block::length_total(*files), 2 * boot::base_source_count);
  for (int i = 0; i < boot::base_source_count; ++i) {
    EXPECT_EQ(form(block::cells(*files)[2 * i]), boot::base_sources[i].name);
    Cell* scanned = stack::push_unset();
    const char* text = boot::base_sources[i].text;
    lexer::scan(scanned, reinterpret_cast<const uint8_t*>(text), static_cast<uint32_t>(std::strlen(text)),
                lexer::ScanArgs{});
    EXPECT_EQ(mold(block::cells(*files)[2 * i + 1], true), mold(*scanned, true)) << boot::base_sources[i].name;
  }
}

}  // namespace
}  // namespace vyn::test
