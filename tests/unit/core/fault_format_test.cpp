// The runtime error report's text, which the fault handlers write from a signal handler: eight
// hexadecimal digits at least, upper case, and a message too long for the buffer cut before the
// address line rather than the address.
#include <gtest/gtest.h>

#include <string>

#include "core/fault.hpp"

namespace vyn {
namespace {

TEST(FaultReport, FormatsCodeMessageAndAddress) {
  struct Case {
    int code;
    std::string message;
    uintptr_t address;
    std::string out;
  } cases[] = {
      {1, "access violation", 0x4a2f0, "\n*** Runtime Error 1: access violation\n*** at: 0004A2F0h\n"},
      {19, "stack overflow", 0x7ffd1234abcdULL, "\n*** Runtime Error 19: stack overflow\n*** at: 7FFD1234ABCDh\n"},
      {94, "out of memory", 0, "\n*** Runtime Error 94: out of memory\n*** at: 00000000h\n"},
      {101, std::string(400, 'm'), 0xff,
       "\n*** Runtime Error 101: " + std::string(fault::report_capacity - 28 - 24, 'm') +
           "\n*** at: 000000FFh\n"},
  };
  for (const Case& c : cases) {
    char text[fault::report_capacity];
    size_t n = fault::format(text, c.code, c.message.c_str(), c.address);
    EXPECT_EQ(std::string(text, n), c.out) << c.code;
  }
}

}  // namespace
}  // namespace vyn
