#pragma once
// How the program's heap gives memory back to the system.

// Freed memory is kept for the program's next allocations instead of being
// handed back to the system at once: a history choice or a view switch
// frees and then builds again tens of megabytes (records, list cells, plot
// lines), and memory handed back comes again as fresh pages the system must
// clear one by one, which took about half of each such step. Call once, at
// start, before any thread is started.
void KeepFreedMemoryForReuse();
