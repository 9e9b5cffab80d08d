#pragma once
// Scenarios of the UTF-8/UTF-16 conversions and of GetEnvironmentVariableW.
// The environment scenarios read variables that the caller sets (see the stage
// script): QUON_CONF_ONE=1, QUON_CONF_EMPTY (empty), QUON_CONF_TEXT (UTF-8
// "é€😀"), QUON_CONF_LONG (40000 'x'), QUON_CONF_BAD (the byte FF),
// QUON_CONF_MISSING unset.

void run_text_scenarios();
void run_environment_scenarios();
