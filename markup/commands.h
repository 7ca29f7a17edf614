// The command set: one letter dispatch over the command buffer of the scanning state.
#pragma once

#include <cstdint>

// Runs the command in the scanning state's command buffer; returns the command's
// result (zero false, non-zero true).
uint8_t ExecuteCommand();
