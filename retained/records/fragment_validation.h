#pragma once
// Validation of one owner fragment on its own: identity, bounds, dependency
// signature, command count, command owners and balanced local transform and clip
// state. References to resources are not looked at here. Returns "" when valid,
// else the message of the first rule that failed; never throws for bad input.

#include "retained/records/value_records.h"

#include <string>

std::string validate_retained_fragment(const owner_fragment& fragment);
