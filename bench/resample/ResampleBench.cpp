// Speed and memory of the conversion to the panel, each against its yardstick, side by side.
//   tramino_bench_resample [PHOTO_DIR]
#include "KernelBench.h"
#include "PhotoBench.h"

#include <string>

int main(int argc, char** argv)
{
    const std::string strArg = argc > 1 ? argv[1] : "";
    if (strArg == "--idle")
        return 0;
    if (strArg == "--convert-one" && argc > 2)
        return tramino::bench::ConvertOne(argv[2]);

    const std::string strDir = argc > 1 ? strArg : std::string(TRAMINO_TESTDATA) + "/photos";
    // Memory first: a child's peak counts the parent's size at the moment it was started.
    tramino::bench::RunMemoryBench(argv[0], strDir + "/Kleiber_by_Lukas_Baubkus.jpg");
    tramino::bench::RunKernelBench();
    tramino::bench::RunPhotoBench(strDir);
    return 0;
}
