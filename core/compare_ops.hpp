// core/compare_ops.hpp: the operation codes every comparison entry receives.
#pragma once

namespace vyn::cmp {

inline constexpr int equal = 0;
inline constexpr int not_equal = 1;
inline constexpr int strict_equal = 2;
inline constexpr int lesser = 3;
inline constexpr int lesser_or_equal = 4;
inline constexpr int greater = 5;
inline constexpr int greater_or_equal = 6;
inline constexpr int sort = 7;
inline constexpr int case_sort = 8;
inline constexpr int same = 9;
inline constexpr int find = 12;  // the equality of find, select and put

}  // namespace vyn::cmp

namespace vyn {
// The codes under which unset!, none!, logic! and datatype! answer: the equalities, the two
// sort orders and identity.
inline bool is_equality_op(int op) {
  return op == cmp::equal || op == cmp::not_equal || op == cmp::strict_equal ||
         op == cmp::sort || op == cmp::case_sort || op == cmp::same || op == cmp::find;
}
}  // namespace vyn
