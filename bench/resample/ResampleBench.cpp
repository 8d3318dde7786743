#include "KernelBench.h"

int main()
{
    tramino::bench::RunKernelBench();
    return 0;
}
