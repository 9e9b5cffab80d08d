#pragma once
// The windowless self-test: five named checks on one game, reported on the
// standard streams. Both functions end the process instead of returning on
// the path that ends the test.

#include <string>

class golf_game;

// Returns when `condition` holds; otherwise writes `name` and a newline to
// standard error and exits with status 2.
void self_test_expect(bool condition, std::string name);

// Runs the checks on `game` (a fresh one) and exits: status 0 after
// "tamsel: pass" on standard output, status 2 at the first failed check.
[[noreturn]] void run_self_test(golf_game& game);
