#pragma once
// Table-driven finite-state machine over text states and events.

#include <cstdint>
#include <string>
#include <vector>

// In state `from`, event `event` leads to state `to`.
struct state_transition {
    std::string from;
    std::string event;
    std::string to;
};

class state_machine {
public:
    // The rules are taken as given: repeats, unreachable states and empty texts are allowed.
    state_machine(const std::string& initial, const std::vector<state_transition>& rules);
    virtual ~state_machine();

    // Takes the one rule matching the current state and `event` and answers true.
    // No match changes nothing; several matches set `status` to
    // "Ambiguous state transition" and change nothing else. Both answer false.
    virtual bool fire(const std::string& event);

    std::string current;
    std::string previous;          // state before the last transition taken
    std::string last_event;        // event of the last transition taken
    std::uint32_t transition_count; // transitions taken; wraps modulo 2^32
    std::string status;            // "ok" or "Ambiguous state transition"
    std::vector<state_transition> rules;
};
