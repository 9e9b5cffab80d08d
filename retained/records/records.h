#pragma once
// Everything the retained resource records offer: value records, the string
// index, signatures and identity keys, result and scratch records, validators.

#include "retained/records/fragment_validation.h"
#include "retained/records/image_validation.h"
#include "retained/records/result_records.h"
#include "retained/records/signatures.h"
#include "retained/records/string_index.h"
#include "retained/records/value_records.h"
