// tests/fuzz/natives_fuzz.cpp: libFuzzer target: natives and actions called with arguments of
// every datatype.
//
// The input picks a native or action, switches its refinements on or off, and picks each argument
// from a pool of values: edge numbers, NaN and infinities, empty, long, tail and recursive series,
// objects, maps, images, functions, none and unset. The call runs inside a `try` and its answer is
// molded, so any error is an answer; a crash, a hang or a sanitizer report is the fault. The pool
// is made afresh for every input, since many calls change their arguments.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/fuzz/script_runner.hpp"

namespace {

// The driver: the callables and their specs, the pool, and the call made from the input.
// Left out: what acts on the outside world (files, processes, the environment, output), waits,
// or loops on its own count (a huge count is a long loop, not a fault).
constexpr std::string_view driver = R"vyn(
fz: context [
	skipped: [
		print prin wait browse call recycle set-env list-env
		forever loop repeat while until
		create close delete modify open open? query read rename update write
	]
	callables: copy []
	foreach w words-of system/words [
		if all [
			value? w
			any [native? get w action? get w]
			not find skipped w
		][
			append callables w
		]
	]
	; each callable: its word, the count of its arguments, and its refinements with their counts
	specs: copy []
	foreach w callables [
		args: 0 refs: copy []
		foreach s spec-of get w [
			case [
				refinement? s [append refs to word! s append refs 0]
				not any-word? s []
				empty? refs [args: args + 1]
				true [refs/(length? refs): 1 + last refs]
			]
		]
		append/only specs reduce [w args refs]
	]
	; a position past the tail of its series: the series was cut after the position was taken
	past: func [s] [also skip s 2 clear s]
	make-pool: func [/local long-b long-s rec] [
		long-b: make block! 300
		repeat i 300 [append long-b i]
		long-s: append/dup copy "" "abc" 100
		rec: copy [1 2]
		append/only rec rec
		reduce copy/deep [
			none () true false 0 -1 1 2 3 7 255 256 65535
			2147483647 -2147483648 2147483646 -2147483647
			0.0 -0.0 0.5 -1.5 1e308 -1e308 1e-320 1.#nan 1.#inf -1.#inf
			#"a" #"^@" #"^(10FFFF)" "" "abc" "a^@b" "ÿé€😀" long-s tail "abc" next "abc"
			#{} #{00FF10} #{DEADBEEF} skip tail #{0102} 0
			[] [a b c] [1 2 3 4 5 6] [[1] [2]] [a 1 b 2] [x: 1 y: 2] long-b tail [1 2] next [3 1 2]
			rec to paren! [1 + 2] 'a 'foo quote :bar quote b: /ref #iss @ref
			'a/b/c quote :a/b quote a/b: to path! [] quote (1 2)
			%file.txt %/nonexistent/dir/x.vyn %"" nope://x me@host.invalid <tag a="1">
			1x2 -2147483648x2147483647 0x0 (1.5, 2) (1, 2, 3) 1.2.3 255.255.255.255.255 50% -0.5%
			10:20:30 -0:00:01 1-Jan-2000 31-Dec-9999/23:59:59+14:00
			$1.50 -$0.01 USD$10000000000
			integer! block! string! any-type! series! number! datatype! unset! none! logic! paren! binary!
			symbol! context! word! lit-word! set-word! get-word! refinement! char! native! action! op!
			path! lit-path! set-path! get-path! function! routine! issue! url! file! object! bitset!
			triple! float! typeset! error! vector! map! hash! pair! percent! tuple! time! tag! email!
			handle! date! money! ref! point2D! point3D! image! event!
			make bitset! "abc" make bitset! [] complement make bitset! "a"
			make map! [a 1 b 2] make map! [] make hash! [a 1 b 2]
			make object! [a: 1 b: "x"] make object! []
			make image! 2x2 make image! 0x0 make image! [3x1 #{01020304050607}]
			make vector! [integer! 32 3] make vector! [float! 64 [1.5 2.5]]
			make event! [type: 'click]
			past copy [1 2 3] past copy "abc" past copy #{010203} past make hash! [a 1 b 2]
			past make vector! [integer! 16 3] past copy 'a/b/c past copy %abc
			[any [skip]] [some "a" | end] [x: (1 + 1) 'a] make error! "boom" func [a /b c] [reduce [a b c]]
			try [1 / 0] 
			func [a b] [a] does [1] func [/local x] [x] :append :if :add
			context [x: 1 y: [a b] z: none]
		]
	]
	pick-arg: func [pool n] [pick pool 1 + (n // length? pool)]
	; one call made from the head of the data; its answer joins the pool; answers the rest of the data
	call-one: func [data pool show /local spec code path ctx n args r] [
		spec: pick specs 1 + ((to integer! copy/part data 2) // length? specs)
		data: skip data 2
		path: to path! reduce [spec/1]
		n: spec/2
		foreach [ref cnt] spec/3 [
			if all [not tail? data odd? data/1] [
				append path ref
				n: n + cnt
			]
			if not tail? data [data: next data]
		]
		ctx: make object! [a1: a2: a3: a4: a5: a6: a7: a8: a9: a10: a11: a12: none]
		code: reduce [either 1 = length? path [spec/1][path]]
		repeat i min n 12 [
			args: either tail? data [0][data/1]
			if not tail? data [data: next data]
			set/any in ctx to word! rejoin ["a" i] pick-arg pool args
			append code to get-word! rejoin ["a" i]
		]
		bind code ctx
		if show [print mold code foreach w next code [print ["  " w "=" mold/part get/any w 300]]]
		set/any 'r try/all code
		if value? 'r [append/only pool :r]
		try [mold/part :r 200]
		data
	]
	run: func [data [binary!] /show /local pool] [
		pool: make-pool
		while [2 <= length? data] [data: call-one data pool show]
	]
]
)vyn";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const uint8_t none[1] = {0};
  static bool ready = (vyn::fuzz::run_script(driver, none, 0), true);
  (void)ready;
  if (size > 64) return 0;
  vyn::fuzz::run_script("fz/run fuzz-data", data, size);
  return 0;
}
