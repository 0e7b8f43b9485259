// view/tui/widget_timer.cpp: the timers that turn a face's rate into time events, and the
// back end's high-resolution clock.
#include <chrono>
#include <cmath>
#include <memory>

#include "core/error.hpp"
#include "view/tui/widget.hpp"

namespace vyn::tui {
namespace {

struct Timer {
  bool one_shot = false;
  bool done = false;
  int32_t elapsed = 0, interval = 0;
  Widget* widget = nullptr;
};

std::vector<std::unique_ptr<Timer>> timers;  // in creation order

}  // namespace

int32_t rate_interval(const Cell& rate) {
  if (rate.is(Type::none_)) return -1;
  if (rate.is(Type::integer) && rate.int_value() > 0) return 1000 / rate.int_value();
  if (rate.is(Type::time) && rate.float_value() > 0) {
    double ms = std::trunc(rate.float_value() * 1000);
    return ms > 2147483647.0 ? 2147483647 : static_cast<int32_t>(ms);
  }
  fire(Err::script_invalid_facet_type, {rate});
}

void start_rate_timer(Widget* w, const Cell& rate) {
  int32_t interval = rate_interval(rate);
  if (interval < 0) remove_timer(w);
  else add_timer(w, interval);
}

void add_timer(Widget* w, int32_t interval_ms) {
  auto t = std::make_unique<Timer>();
  t->interval = interval_ms;
  t->widget = w;
  timers.push_back(std::move(t));
}

void remove_timer(Widget* w) {
  for (size_t i = timers.size(); i-- > 0;)
    if (timers[i]->widget == w) {
      timers.erase(timers.begin() + static_cast<long>(i));
      return;
    }
}

void remove_all_timers(Widget* w) {
  std::erase_if(timers, [w](const std::unique_ptr<Timer>& t) { return t->widget == w; });
}

// A callback may add or remove timers (an actor may change a rate): the vector is walked by
// index and each timer is looked up again after its callback.
void tick_timers(int32_t elapsed_ms) {
  for (size_t i = 0; i < timers.size(); ++i) {
    Timer* t = timers[i].get();
    t->elapsed += elapsed_ms;
    if (t->done || t->elapsed < t->interval) continue;
    t->elapsed = 0;
    if (t->one_shot) t->done = true;
    send_event(t->widget, evt::time);
  }
}

int timer_count() { return static_cast<int>(timers.size()); }

int32_t timer_interval(Widget* w) {
  for (size_t i = timers.size(); i-- > 0;)
    if (timers[i]->widget == w) return timers[i]->interval;
  return -1;
}

double now_ms() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double elapsed_ms(double start) { return now_ms() - start; }

}  // namespace vyn::tui
