#include "runtime/state_machine.h"

#include <cstddef>
#include <utility>

state_machine::state_machine(const std::string& initial, const std::vector<state_transition>& rules)
    : current(initial), previous(initial), last_event(), transition_count(0), status("ok"), rules(rules)
{
}

state_machine::~state_machine() = default;

bool state_machine::fire(const std::string& event)
{
    // Every rule is visited: a second match makes the event ambiguous whatever the order.
    std::size_t matches = 0;
    std::size_t match = 0;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (rules[i].from == current && rules[i].event == event) {
            ++matches;
            match = i;
        }
    }
    if (matches == 0) {
        return false;
    }
    if (matches > 1) {
        status = "Ambiguous state transition";
        return false;
    }
    // Copies first: `event` may be one of this machine's own texts, and a failed
    // allocation must leave the machine as it was.
    std::string new_previous = current;
    std::string new_current = rules[match].to;
    std::string new_event = event;
    previous = std::move(new_previous);
    current = std::move(new_current);
    last_event = std::move(new_event);
    ++transition_count;
    status = "ok";
    return true;
}
