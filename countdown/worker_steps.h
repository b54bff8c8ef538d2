// Steps that both countdown workers take the same way.
#pragma once
#include <cstdint>

// The number a control's text starts with now; a control without text counts as "".
int32_t ReadNumber(uint32_t unit, int32_t property);

// The action at the target, decided by the action radios as they stand now:
// release the network and end this worker, or start the power-off command.
// Returns true when the worker has ended itself; it must then leave at once.
bool TakeTargetAction();
