#pragma once

#include "codec/PictureDecoder.h"

#include <vector>

namespace tramino
{

// Hands out the rows of a picture already in memory, as a decoder would: packed red, green,
// blue whatever its depth class, top-down or bottom-up.
class CPictureRowReader final : public CRowReader
{
public:
    explicit CPictureRowReader(const CPicture& picture, bool bBottomUp = false);

    bool IsBottomUp() const override { return m_bBottomUp; }
    CStatus ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow) override;

private:
    const CPicture& m_picture;
    bool m_bBottomUp;
};

} // namespace tramino
