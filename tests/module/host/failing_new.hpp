// The nothrow forms of operator new, replaced for this test program so that
// a chosen allocation can fail.
#pragma once

// The allocation `count` nothrow allocations from now fails (0: the next
// one); -1 lets every allocation succeed again.
void FailNothrowAllocation(int count);
// Nothrow allocations made since the last FailNothrowAllocation.
int NothrowAllocations();
