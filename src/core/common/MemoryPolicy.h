#pragma once

namespace tramino
{

// Called once at the start of a program that builds shows. Pictures of a few hundred KiB are made
// on the conversion threads and freed on the writer's, one after the other; glibc's adaptive policy
// hands the freed top of each thread's heap back to the system as soon as it passes twice the
// largest block last unmapped, so that pictures kept faulting their pages in anew (up to 55,000
// page faults and a third of the CPU time of a show of 1,000 panel pictures). Blocks up to 1 MiB
// now come from the heaps, and up to 4 MiB of free memory stays with each of them. Does nothing
// with another C library.
void KeepFreedPicturesForReuse();

} // namespace tramino
