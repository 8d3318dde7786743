#include "picture/Picture.h"
#include "common/Status.h"

#include <gtest/gtest.h>

namespace tramino
{

TEST(Picture, IndexedPixelsReadThroughThePaletteAndOutOfRangeIndicesAreBlack)
{
    CPicture picture(2, 1, 8);
    picture.Palette() = {CRgb{1, 2, 3}};
    picture.Row(0)[1] = 7;
    EXPECT_EQ(picture.GetPixel(0, 0), (CRgb{1, 2, 3}));
    EXPECT_EQ(picture.GetPixel(1, 0), CRgb{});
}

TEST(Picture, DirectPicturesKeepTheirBytesPerPixel)
{
    CPicture picture(3, 2, 32);
    EXPECT_EQ(picture.RowBytes(), 12u);
    picture.SetPixel(2, 1, CRgb{9, 8, 7});
    EXPECT_EQ(picture.GetPixel(2, 1), (CRgb{9, 8, 7}));
}

TEST(Status, ErrnoStatusNamesTheFileAndTheReason)
{
    CStatus status = ErrnoStatus("open", "/x/y.qrv", ENOENT);
    EXPECT_FALSE(status.IsOk());
    EXPECT_EQ(status.Message(), "Cannot open '/x/y.qrv': No such file or directory");
    CResult<int> result(status);
    EXPECT_FALSE(result.IsOk());
    EXPECT_EQ(result.Message(), status.Message());
}

} // namespace tramino
