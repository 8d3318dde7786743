// Converts one picture as the import does and writes it as a BMP file, for the independent
// check of the reduction (reduce_bmp.py --check).
#include "codec/BmpWriter.h"
#include "resample/ConvertPicture.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 5)
    {
        std::fprintf(stderr, "usage: %s IN WIDTH HEIGHT OUT.bmp\n", argv[0]);
        return 2;
    }
    const tramino::CResult<tramino::CPicture> picture =
        tramino::ConvertPictureToPanel(argv[1], {std::atoi(argv[2]), std::atoi(argv[3])});
    const tramino::CStatus status =
        picture ? tramino::WriteBmpFile(picture.Value(), argv[4]) : picture.Status();
    if (!status)
    {
        std::fprintf(stderr, "%s\n", status.Message().c_str());
        return 1;
    }
    return 0;
}
