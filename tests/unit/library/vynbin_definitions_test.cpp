// The start-up decoding of a boot image: definitions set global words and take no place among the
// root values, shared structure stays shared across definitions, and an image that is no Vynbin
// data, or does not unpack, ends the process with a message and a failing status.
#include <unistd.h>

#include <string>

#include "library/vynbin.hpp"
#include "values/callables/function.hpp"
#include "values/words/word.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "tests/unit/support/script.hpp"

namespace vyn::test {
namespace {

using BootImageDecoding = RuntimeTest;

const uint8_t* data_of(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// Starts decoding with standard output on the error stream, where a death test reads it.
void start_on(const std::string& image) {
  dup2(2, 1);
  Cell* root = block::push_only(1);
  vynbin::decode_boot_image(data_of(image), image.size(), *root);
}

TEST_F(BootImageDecoding, DefinitionsSetWordsAndKeepLiteralsShared) {
  Cell shared = *block_of({make_integer(7)});
  Cell* table = block_of({word::load("boot-test-a"), word::load("boot-test-b"), word::load("boot-test-n")});
  Cell* defined = block_of({word::load("boot-test-a"), shared, word::load("boot-test-b"), shared,
                            word::load("boot-test-n"), make_integer(1000)});
  std::string image = vynbin::encode_boot_image(*table, *defined);
  for (const char* name : {"boot-test-a", "boot-test-b", "boot-test-n"}) {
    Cell w = word::load(name);
    word::set(w, make_none());
  }

  Cell* root = block::push_only(1);
  vynbin::decode_boot_image(data_of(image), image.size(), *root);
  // the table and the block's two literals (the second a reference to the first): definitions
  // leave nothing behind
  ASSERT_EQ(block::length_total(*root), 3);
  Cell a = *word::value_cell(word::load("boot-test-a"));
  Cell b = *word::value_cell(word::load("boot-test-b"));
  EXPECT_EQ(mold(a), "[7]");
  EXPECT_EQ(series_node(a), series_node(b));
  EXPECT_EQ(series_node(a), series_node(block::cells(*root)[1]));
  EXPECT_EQ(word::value_cell(word::load("boot-test-n"))->int_value(), 1000);
}

// An image's functions are not checked at start: the trace flags their attributes give come from
// the image, as does whether they have a language body.
TEST_F(BootImageDecoding, FunctionsKeepTheirTraceFlags) {
  const char* names[] = {"boot-test-plain", "boot-test-trace", "boot-test-quiet"};
  run("boot-test-plain: func [a] [a + 1] boot-test-trace: func [[trace] a] [a] "
      "boot-test-quiet: func [[no-trace] a /b] [a]");
  constexpr uint32_t flags = function::flag_trace | function::flag_no_trace;
  uint32_t before[3];
  Cell* table = block::push_only(3);
  Cell* defined = block::push_only(6);
  for (int i = 0; i < 3; ++i) {
    Cell w = word::load(names[i]);
    before[i] = word::value_cell(w)->header & flags;
    block::append_copy(*table, w);
    block::append_copy(*defined, w);
    block::append_copy(*defined, *word::value_cell(w));
  }
  std::string image = vynbin::encode_boot_image(*table, *defined);
  for (const char* name : names) {
    Cell w = word::load(name);
    word::set(w, make_none());
  }
  Cell* root = block::push_only(1);
  vynbin::decode_boot_image(data_of(image), image.size(), *root);
  EXPECT_EQ(before[0], 0u);
  EXPECT_EQ(before[1], function::flag_trace);
  EXPECT_EQ(before[2], function::flag_no_trace);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(word::value_cell(word::load(names[i]))->header & flags, before[i]) << names[i];
  EXPECT_EQ(run("boot-test-plain 41").int_value(), 42);
  EXPECT_EQ(mold(*word::value_cell(word::load("boot-test-quiet")), false), "func [[no-trace] a /b][a]");
}

TEST_F(BootImageDecoding, DefinitionsBelongToStartUpOnly) {
  Cell* table = block_of({word::load("boot-test-a")});
  Cell* defined = block_of({word::load("boot-test-a"), make_integer(1)});
  std::string image = vynbin::encode_boot_image(*table, *defined);
  Cell* out = block::push_only(1);
  EXPECT_EQ(raised([&] { vynbin::decode(data_of(image), image.size(), *out, *out); }),
            Err::script_vb_invalid_record);
}

// system holds the global context's object and routines: only a boot image may.
TEST_F(BootImageDecoding, PlainEncodingRefusesWhatOnlyBootImagesHold) {
  Cell* holder = block_of({*word::value_cell(word::load("system"))});
  std::string plain;
  EXPECT_EQ(raised([&] { plain = vynbin::encode(*holder); }), Err::access_no_codec);
  Cell* table = block_of({word::load("boot-test-s")});
  Cell* defined = block_of({word::load("boot-test-s"), *word::value_cell(word::load("system"))});
  std::string image = vynbin::encode_boot_image(*table, *defined);
  Cell* root = block::push_only(1);
  vynbin::decode_boot_image(data_of(image), image.size(), *root);
  Cell s = *word::value_cell(word::load("boot-test-s"));
  ASSERT_TRUE(s.is(Type::object));
  EXPECT_EQ(mold(*word::value_cell(word::load("boot-test-s"))).substr(0, 40),
            mold(*word::value_cell(word::load("system"))).substr(0, 40));
}

TEST_F(BootImageDecoding, DamagedImageEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Case {
    std::string image;
    const char* message;
  } cases[] = {
      {std::string("VYNBOX\x01\x01\x01\x00", 10), "Error: Not a Vynbin file!"},
      {std::string("VYN", 3), "Error: Not a Vynbin file!"},
      {std::string("VYNBIN\x01\x03\xFF\xFF\xFF\xFF", 12), "Error: Vynbin compressed data corrupted!"},
  };
  for (const Case& c : cases) {
    EXPECT_EXIT(
        {
          start_on(c.image);
        },
        testing::ExitedWithCode(1), c.message);
  }
}

}  // namespace
}  // namespace vyn::test
