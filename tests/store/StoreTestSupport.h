#pragma once

#include "store/PictureStore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace tramino
{

// The panel of the store tests: small, so that a store of pictures is written in no time.
inline constexpr int g_nStoreWidth = 8;
inline constexpr int g_nStoreHeight = 6;

// A panel-sized picture that tells itself apart by its colour and by one marked pixel.
inline CPicture TagPicture(int nTag)
{
    CPicture picture(g_nStoreWidth, g_nStoreHeight, 24);
    for (int y = 0; y < g_nStoreHeight; ++y)
        for (int x = 0; x < g_nStoreWidth; ++x)
            picture.SetPixel(x, y, CRgb{static_cast<uint8_t>(40 * nTag), static_cast<uint8_t>(x * 30), 200});
    picture.SetPixel(nTag % g_nStoreWidth, 0, CRgb{255, 255, 255});
    return picture;
}

// The tag of a picture TagPicture made with a tag from 0 to 6.
inline int TagOf(const CPicture& picture)
{
    return picture.GetPixel(0, 1).m_nRed / 40;
}

// A store in strParent holding the pictures tagged 0 to nPictures - 1.
inline CPictureStore TaggedStore(const std::string& strParent, int nPictures,
                                 std::shared_ptr<CStoreFileOps> pOps = nullptr)
{
    CResult<CPictureStore> store =
        CPictureStore::Create({g_nStoreWidth, g_nStoreHeight}, strParent, std::move(pOps));
    EXPECT_TRUE(store) << store.Message();
    for (int i = 0; i < nPictures; ++i)
        EXPECT_TRUE(store.Value().Add(TagPicture(i)));
    return std::move(store).Value();
}

} // namespace tramino
