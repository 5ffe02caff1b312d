#pragma once

// Keeps the large blocks that page work allocates and frees by the hundred (document trees,
// page bodies) in the heap for reuse, instead of mapping fresh memory for each one and
// returning it at once. Fresh pages fault in one by one, and faults of threads of one
// process queue on the process's memory map lock, which kept page loaders on separate
// cores from running side by side. Call once, first thing in main.
void KeepFreedMemoryForReuse();
