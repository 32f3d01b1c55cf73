// The record's numeric fields as one line of name=value pairs, for the replay tool and tests.
#pragma once

#include <cstddef>

// Writes the trace line (no newline) into out; returns the number of characters written.
size_t formatTrace(char *out, size_t size);
