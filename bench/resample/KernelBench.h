#pragma once

namespace tramino::bench
{

// The reduction kernel alone, on pictures in memory: the streaming reducer against a plain
// separable version with the same tables. Prints megapixels per second and the ratio.
void RunKernelBench();

} // namespace tramino::bench
